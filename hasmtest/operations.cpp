// The hasmtest operations: each builds the record its library call expects, makes the
// call and prints what the call returned. Results are printed, never acted on.
#include "hasmtest/operations.h"

#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "haadm/safe_file.h"
#include "haadm/shell.h"
#include "hasmtest/params.h"
#include "platform/ham.h"
#include "platform/ls.h"
#include "platform/seams.h"
#include "platform/swd.h"
#include "platform/syscon.h"

namespace haadm::hasmtest {
namespace {

// Words such as the switch and port type words are kept to this many characters.
constexpr size_t kWordField = 16;

// The largest record of the harness; a library writes attribute values into it unbounded.
constexpr size_t kAttributeBuffer = sizeof(SwPortRecord);

struct PortType {
    char word[8];
    int code;
};

constexpr std::array<PortType, 10> kPortTypes{{
    {"VE", 1},
    {"GE", 2},
    {"LP", 3},
    {"ISL", 4},
    {"FPGA", 5},
    {"FTRK", 6},
    {"LISL", 7},
    {"VSAN", 8},
    {"FCOE", 11},
    {"FCVF", 12},
}};

// A text that a library filled, up to its first NUL or the end of its buffer.
int bounded_length(const char* text, size_t size) { return static_cast<int>(strnlen(text, size)); }

void print_attribute(const char* value, size_t size)
{
    printf("The attribute is %.*s\n", bounded_length(value, size), value);
}

void print_check(int sw, int port, int found) { printf("LS %d phy port %d check=%d\n", sw, port, found); }

}  // namespace

int32_t TestArgs::number(int i, int32_t fallback) const
{
    return has(i) ? to_number(vector[i]) : fallback;
}

int port_type_code(const char* word)
{
    char copied[kWordField];
    copy_field(copied, sizeof copied, word);
    for (const PortType& type : kPortTypes) {
        if (strcasecmp(copied, type.word) == 0) {
            return type.code;
        }
    }
    return 0;
}

void print_session(FILE* out, const char* label, int rc, const HaSession& session)
{
    // The times go out as unsigned long so that 32- and 64-bit hosts print the same.
    fprintf(out, "%s:rc=%d,fl=%d,ch=%08lx,up=%08lx,ac=%08lx,sy=%08lx,rbr=%.*s\n", label, rc,
            static_cast<int>(session.fl), static_cast<unsigned long>(session.ch),
            static_cast<unsigned long>(session.up), static_cast<unsigned long>(session.ac),
            static_cast<unsigned long>(session.sy), bounded_length(session.rbr, sizeof session.rbr),
            session.rbr);
}

// ---- logical switch lifecycle ----------------------------------------------------------

void op_lscreate(const TestArgs& args)
{
    TestParamList list{};
    set_test_param("FID", args.text(1, "128"), list);
    printf("swno is %d\n", ls_create(&list));
}

void op_lsenable(const TestArgs& args)
{
    const int sw = args.number(1);
    ls_enable(sw);
    printf("%d is enabled\n", sw);
}

void op_lsdisable(const TestArgs& args)
{
    const int sw = args.number(1);
    ls_disable(sw);
    printf("%d is disabled\n", sw);
}

void op_lsdelete(const TestArgs& args)
{
    const int sw = args.number(1);
    ls_delete(sw);
    printf("%d is deleted\n", sw);
}

void op_shutdown_restart(const TestArgs& args)
{
    char text[kControlTextSize] = {};
    const int sw = args.number(1);
    if (args.has(2)) {
        copy_field(text, sizeof text, args.text(2, ""));
    }
    if (strstr(args.word(), "shutdown") != nullptr) {
        ls_shutdown(sw, text);
    } else {
        ls_restart(sw, text);
    }
}

// ---- switch expansion ------------------------------------------------------------------

void op_expand(const TestArgs& args)
{
    ExpandRequest request{};
    const int sw = args.number(1);
    char switch_type[kWordField];
    copy_field(switch_type, sizeof switch_type, args.text(2, ""));

    const std::string_view range = args.text(3, "");
    // FIRST-LAST, or FIRST alone; the halves are cut by hand, as substr can throw.
    const size_t dash = range.find('-');
    const bool has_last = dash != std::string_view::npos;
    const int first = to_number(std::string_view(range.data(), has_last ? dash : range.size()));
    const int last =
        has_last ? to_number(std::string_view(range.data() + dash + 1, range.size() - dash - 1))
                 : 0;

    const int code = port_type_code(args.text(4, ""));
    const int sync = args.number(5);
    request.ge = strcasecmp(switch_type, "GE") == 0 ? 1 : 0;

    if (last >= first) {
        // Only ports of the map can be marked; a range beyond it is not sent at all.
        if (first < 0 || last >= kPortCount) {
            return;
        }
        for (int port = first; port <= last; ++port) {
            request.ports[port] = static_cast<uint8_t>(kPortIncluded | code);
        }
    }

    if (strstr(args.word(), "deexpand") != nullptr) {
        if (sync == 0) {
            ls_deexpand(sw, &request);
        } else {
            ls_deexpand_sync("fcsw", sw, &request);
        }
    } else if (sync == 0) {
        ls_expand(sw, &request);
    } else {
        ls_expand_sync("fcsw", sw, &request);
    }
}

// ---- logical ports ---------------------------------------------------------------------

void op_lpalloc(const TestArgs& args)
{
    const int n1 = args.number(1);
    const int n2 = args.number(2);
    const int n3 = args.number(3);
    const int port = n3 != 0 ? hasm_alloc_lport(n1, n3, n2) : ls_alloc_lport(n1, n2);
    printf("The port allocated is %d\n", port);
}

void op_lpfree(const TestArgs& args)
{
    const int n1 = args.number(1);
    const int n2 = args.number(2);
    const int n3 = args.number(3);
    if (n3 != 0) {
        hasm_free_lport(n1, n3, n2);
    } else {
        ls_free_lport(n1, n2);
    }
}

void op_getport(const TestArgs& args)
{
    printf("The port is %d\n",
           hasm_get_port(args.number(1), args.number(2), args.number(3), args.number(4)));
}

void op_lscheckport(const TestArgs& args)
{
    const int first = args.number(1);
    const int last = args.number(2);
    // Only ports of the map can be looked at.
    if (last >= kPortCount || first < 0) {
        return;
    }
    const int code = args.number(3);
    const int first_sw = args.number(4);
    const int end_sw = args.number(5, 16);

    SwPortRecord record{};
    int port = 0;
    int sw = first_sw;
    for (; sw < end_sw; ++sw) {
        if (ls_get_swport(sw, &record) < 0) {
            continue;
        }
        for (port = first; port <= last; ++port) {
            const uint8_t byte = record.ports[port];
            if ((byte & kPortIncluded) != 0 && (byte & kPortTypeMask) == code) {
                print_check(sw, port, 1);
                return;
            }
        }
    }
    print_check(sw, port, 0);
}

// ---- attributes ------------------------------------------------------------------------

void op_setatt(const TestArgs& args)
{
    ls_set_attribute(args.number(1), args.text(2, ""), args.text(3, ""));
}

void op_getatt(const TestArgs& args)
{
    // Cleared so that a call that fills nothing shows an empty value.
    static char value[kAttributeBuffer];
    memset(value, 0, sizeof value);
    ls_get_attribute(args.number(1), args.text(2, ""), value);
    print_attribute(value, sizeof value);
}

void op_setsysatt(const TestArgs& args) { ls_set_sys_attribute(args.text(1, ""), args.text(2, "")); }

void op_getsysatt(const TestArgs& args)
{
    static char value[kAttributeBuffer];
    memset(value, 0, sizeof value);
    ls_get_sys_attribute(args.text(1, ""), value);
    print_attribute(value, sizeof value);
}

void op_getfid(const TestArgs& args)
{
    printf("The FID is %d\n", ls_get_attribute(args.number(1), "FID", nullptr));
}

// ---- HA state machine diagnostics ------------------------------------------------------

void op_dump(const TestArgs& args)
{
    DumpRequest request{};
    request.flag = args.has(1) ? 1 : 0;
    snprintf(request.path, sizeof request.path, "/tmp/hasmdump.%d", static_cast<int>(getpid()));
    hasm_dump(&request);

    const char* root = platform_root();
    char rooted[PATH_MAX];
    const int n = snprintf(rooted, sizeof rooted, "%s%s", root, request.path);
    if (n < 0 || static_cast<size_t>(n) >= sizeof rooted) {
        return;  // no name under which the file could be reached
    }
    // The name lies in /tmp, where anyone may have put something first: only a regular
    // file of this user is shown and removed. Held open, no other user can replace it in
    // the sticky directory while cat reads it.
    const OpenedFile dump = open_regular(rooted, O_RDONLY, true);
    if (dump.why == FileRefusal::missing) {
        return;
    }
    if (dump.fd < 0) {
        fprintf(stderr, "hasmtest dump: %s is %s; not shown\n", request.path,
                refusal_text(dump.why));
        return;
    }
    // A line too long to run whole is not run; the file goes all the same.
    [[maybe_unused]] const int shown = run_shell(PATH_MAX, "%s/bin/cat %s", root, rooted);
    unlink(rooted);
    close(dump.fd);
}

void op_get_hsess(const TestArgs&)
{
    HaSession session{};
    int rc = has_get_hsess(kSessionLocal, &session);
    print_session(stdout, "Lsess", rc, session);
    session = HaSession{};
    rc = has_get_hsess(kSessionRemote, &session);
    print_session(stdout, "Rsess", rc, session);
}

void op_peer_version(const TestArgs&)
{
    // Cleared so that a call that fills nothing shows 0.0.
    PeerVersion version{};
    const int rc = ls_get_peer_version(&version);
    printf("Peer firmware version:%d.%d, rc=%d\n", static_cast<int>(version.major),
           static_cast<int>(version.minor), rc);
}

void op_set_suppress_ha(const TestArgs&) { ham_set_state(static_cast<int>(kHaSuppressed)); }

void op_oomtest(const TestArgs&) { hasm_testoom(); }

// ---- single platform calls -------------------------------------------------------------

void op_swdkill(const TestArgs&) { config_swd_kickin(); }

void op_ethcreate(const TestArgs&) { printf("Ethernet creation return %d\n", eth_create(0)); }

}  // namespace haadm::hasmtest
