// Every platform call of the tool, acting on the simulated chassis.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/client_libs.h"
#include "platform/ham.h"
#include "platform/hasm.h"
#include "platform/ls.h"
#include "platform/messaging.h"
#include "platform/rasevt.h"
#include "platform/rbac.h"
#include "platform/seams.h"
#include "platform/swd.h"
#include "platform/syscon.h"
#include "sim/chassis.h"
#include "sim/store/ha_rules.h"

using sim::json;

namespace {

// The descriptor that getHAMFd() hands out; requests on it reach the simulator.
constexpr int kHamFd = 1000;

bool g_rasevt_open = false;

// The number after n, wrapping from the largest int to 1 instead of overflowing.
int wrapped_next(int n) { return n == INT_MAX ? 1 : n + 1; }

json text_or_null(const char* text) { return text == nullptr ? json(nullptr) : json(text); }

// The text of a fixed-size field, up to its first NUL.
std::string field(const char* data, size_t size) { return std::string(data, strnlen(data, size)); }

bool zero(const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] != 0) {
            return false;
        }
    }
    return true;
}

// The bytes of a text field after its text are zero.
bool zero_behind_text(const char* data, size_t size)
{
    const size_t len = strnlen(data, size);
    return len == size || zero(data + len, size - len);
}

void copy_text(char* out, size_t size, const std::string& text)
{
    const size_t n = std::min(text.size(), size - 1);
    memcpy(out, text.data(), n);
    out[n] = '\0';
}

json ports_json(const uint8_t* ports)
{
    json list = json::array();
    for (int p = 0; p < kPortCount; ++p) {
        if (ports[p] != 0) {
            list.push_back({p, ports[p]});
        }
    }
    return list;
}

json expand_json(const ExpandRequest* request)
{
    if (request == nullptr) {
        return nullptr;
    }
    return {{"ge", request->ge}, {"ports", ports_json(request->ports)}};
}

json& switch_of(json& st, int sw) { return st["ls"][std::to_string(sw)]; }

bool has_switch(const json& st, int sw) { return st["ls"].contains(std::to_string(sw)); }

int expand(json& st, int sw, const ExpandRequest* request, bool add)
{
    if (request == nullptr || !has_switch(st, sw)) {
        return -1;
    }
    json& ports = switch_of(st, sw)["ports"];
    for (int p = 0; p < kPortCount; ++p) {
        if (request->ports[p] == 0) {
            continue;
        }
        if (add) {
            ports[std::to_string(p)] = request->ports[p];
        } else {
            ports.erase(std::to_string(p));
        }
    }
    return 0;
}

// A call whose result is one number of the state.
int read_int(const char* call, const char* key)
{
    return sim::read_call(call, json::array(), [key](const json& st) { return st.value(key, 0); });
}

// A request on the HA manager device; on any other descriptor it fails as ioctl does
// (-1, EBADF) and its entry names the descriptor.
int ham_request_journal(int fd, unsigned long request, json third,
                        const std::function<int(json&)>& body)
{
    json args = {fd == kHamFd ? json("ham") : json(fd), request};
    if (!third.is_null()) {
        args.push_back(std::move(third));
    }
    if (fd != kHamFd) {
        const json& st = sim::state();
        sim::check_boot(st);
        sim::journal(st, "ioctl", args, -1);
        errno = EBADF;
        return -1;
    }
    return sim::change_call("ioctl", std::move(args), body);
}

// The chassis root as root() would find it, without creating or refusing anything:
// empty when there is none to find.
std::string root_as_named()
{
    const char* env = getenv("CHASSIS_SIM_ROOT");
    if (env != nullptr && *env != '\0') {
        return env;
    }
    const char* xdg = getenv("XDG_STATE_HOME");
    const char* home = getenv("HOME");
    if ((xdg == nullptr || xdg[0] != '/') && (home == nullptr || *home == '\0')) {
        return {};
    }
    return sim::default_root_path();
}

// The part of PROGRAM after ROOT and its '/', or null when PROGRAM is not under ROOT.
const char* under_root(const char* program, const char* root)
{
    size_t len = strlen(root);
    while (len > 1 && root[len - 1] == '/') {
        --len;
    }
    if (len == 1 && root[0] == '/') {
        return nullptr;  // a chassis at / leaves the name as it is
    }
    if (strncmp(program, root, len) == 0 && program[len] == '/') {
        return program + len;
    }
    return nullptr;
}

// A program of the chassis is started by its rooted path (the tool's shell command lines
// name ROOT/sbin/hainfo); it sees the CP path as its name, as it would on a CP, so that
// a root whose path holds an invocation name does not choose the command. A path spelled
// as the root is taken as it stands; any other path with a directory is compared
// resolved, so that the root is found however the program was reached: "./", "//", a
// symlink, the default chassis.
[[gnu::constructor]] void name_by_cp_path(int argc, char** argv, char**)
{
    if (argc < 1 || argv == nullptr || argv[0] == nullptr || strchr(argv[0], '/') == nullptr) {
        return;
    }
    const std::string named = root_as_named();
    if (named.empty()) {
        return;
    }
    const char* cp_name = under_root(argv[0], named.c_str());
    if (cp_name == nullptr) {
        static char resolved_root[PATH_MAX];
        static char resolved[PATH_MAX];
        const char* slash = strrchr(argv[0], '/');
        const std::string dir(argv[0], slash == argv[0] ? 1 : slash - argv[0]);
        if (realpath(named.c_str(), resolved_root) == nullptr ||
            realpath(dir.c_str(), resolved) == nullptr) {
            return;
        }
        const size_t used = strlen(resolved);
        if (used + strlen(slash) >= sizeof resolved) {
            return;
        }
        memcpy(resolved + used, slash, strlen(slash) + 1);
        cp_name = under_root(resolved, resolved_root);
        if (cp_name == nullptr) {
            return;
        }
    }
    // CP1's programs are started under its own root.
    if (strncmp(cp_name, "/cp1/", 5) == 0) {
        cp_name += 4;
    }
    argv[0] = const_cast<char*>(cp_name);
}

}  // namespace

extern "C" {

// ---- seams ----------------------------------------------------------------------------

// The tool pastes the root at the head of shell command lines: a relative one is given
// "./" in front, so that no such line can begin with an option. One text per CP, kept for
// the process: the tool may hold the pointer across calls.
const char* platform_root(void)
{
    static std::string rooted[2];
    const int cp = sim::this_cp(sim::state());
    if (rooted[cp].empty()) {
        const std::string& r = sim::cp_root(cp);
        rooted[cp] = r[0] == '/' ? r : "./" + r;
    }
    return rooted[cp].c_str();
}

int ham_device_request(int fd, unsigned long request)
{
    return ham_request_journal(fd, request, nullptr, [](json&) { return 0; });
}

int ham_device_request_int(int fd, unsigned long request, int arg)
{
    return ham_request_journal(fd, request, arg, [request, arg](json& st) {
        if (request == kHamResetProcessor && arg == 0) {
            sim::go_down(st, 1 - sim::this_cp(st), {});
        }
        return 0;
    });
}

int ham_device_request_ptr(int fd, unsigned long request, void* arg)
{
    if (request != kHamSetRebootReason || arg == nullptr) {
        return ham_request_journal(fd, request, nullptr, [](json&) { return 0; });
    }
    const auto* reason = static_cast<const RebootReasonRequest*>(arg);
    const std::string text = field(reason->reason, sizeof reason->reason);
    return ham_request_journal(fd, request, {{"word", reason->word}, {"reason", text}},
                               [text](json& st) {
                                   st["rb_reason"] = text.substr(0, kHamReasonSize - 1);
                                   return 0;
                               });
}

// ---- messaging ------------------------------------------------------------------------

int ipc_max_msg_size(int channel)
{
    return sim::read_call("ipc_max_msg_size", {channel},
                          [](const json& st) { return st.value("ipc_max", 8192); });
}

int ipcInit(const char* client, uint16_t pid, int max_msg_size, int flags)
{
    return sim::read_call("ipcInit", {text_or_null(client), pid, max_msg_size, flags},
                          [](const json&) { return 0; });
}

void ipcExit(void) { sim::void_call("ipcExit", json::array()); }

int myNode(void) { return read_int("myNode", "node"); }

int ipcSendRcv(const IpcAddress* to, int type, const void* data, int len, uint32_t* reply_word,
               void* reply, const IpcWait* wait)
{
    json address = nullptr;
    if (to != nullptr) {
        address = {{"node", to->node}, {"pad", to->pad}, {"name", field(to->name, sizeof to->name)}};
    }
    json limit = nullptr;
    if (wait != nullptr) {
        limit = {{"sec", wait->sec}, {"usec", wait->usec}};
    }
    json payload = data == nullptr ? json(nullptr) : json("<data>");
    return sim::read_call("ipcSendRcv", {address, type, payload, len, limit},
                          [reply_word, reply](const json&) {
                              if (reply_word != nullptr) {
                                  *reply_word = 0;
                              }
                              if (reply != nullptr) {
                                  memset(reply, 0, 20);
                              }
                              return 0;
                          });
}

// ---- client libraries -----------------------------------------------------------------

int ficulibInit(void) { return sim::read_call("ficulibInit", json::array(), [](const json&) { return 0; }); }
int nslibInit(void) { return sim::read_call("nslibInit", json::array(), [](const json&) { return 0; }); }
int esslibInit(void) { return sim::read_call("esslibInit", json::array(), [](const json&) { return 0; }); }
int zonelibInit(void) { return sim::read_call("zonelibInit", json::array(), [](const json&) { return 0; }); }

int ns_condb_attach_impl(const char* function, const char* module, int line)
{
    return sim::read_call("ns_condb_attach_impl",
                          {text_or_null(function), text_or_null(module), line},
                          [](const json&) { return 0; });
}

// ---- HA manager -----------------------------------------------------------------------

int ham_get_state(void)
{
    return sim::read_call("ham_get_state", json::array(), [](const json& st) {
        return static_cast<int>(sim::state_word(st, sim::this_cp(st)));
    });
}

int getHAMStat(void)
{
    return sim::read_call("getHAMStat", json::array(), [](const json& st) {
        return static_cast<int>(sim::state_word(st, sim::this_cp(st)));
    });
}

int getHAMFd(void) { return sim::read_call("getHAMFd", json::array(), [](const json&) { return kHamFd; }); }
int ham_get_fd(void) { return sim::read_call("ham_get_fd", json::array(), [](const json&) { return kHamFd; }); }

int enableHA(void)
{
    return sim::change_call("enableHA", json::array(), [](json& st) {
        st["bits"] = st.value("bits", 0u) | kHaEnabled;
        return 0;
    });
}

static int disable_ha(const char* name)
{
    return sim::change_call(name, json::array(), [](json& st) {
        st["bits"] = st.value("bits", 0u) & ~(kHaEnabled | kHaSynchronized);
        return 0;
    });
}

int disableHA(void) { return disable_ha("disableHA"); }
int ham_disable_ha(void) { return disable_ha("ham_disable_ha"); }

// On a redundant chassis the other CP becomes active and a new session begins; the
// old active CP's hold on the HA lock ends with its role.
static int fail_over(const char* name)
{
    return sim::change_call(name, json::array(), [](json& st) {
        if (!sim::redundant_pair(st.value("bits", 0u))) {
            return -1;
        }
        const int old_active = st.value("active_cp", 0);
        sim::take_over(st);
        sim::free_lock_of(st, old_active, {});
        return 0;
    });
}

int forceFailover(void) { return fail_over("forceFailover"); }
int ham_force_failover(void) { return fail_over("ham_force_failover"); }

int ham_request(int request, int arg)
{
    return sim::change_call("ham_request", {request, arg}, [request](json& st) {
        if (request == kHamRequestReboot) {
            sim::go_down(st, sim::this_cp(st), {});
        }
        return 0;
    });
}

int ham_notify(int event) { return sim::read_call("ham_notify", {event}, [](const json&) { return 0; }); }
int notifyHAM(int event) { return sim::read_call("notifyHAM", {event}, [](const json&) { return 0; }); }

int ham_set_state(int bits)
{
    return sim::change_call("ham_set_state", {bits}, [bits](json& st) {
        st["bits"] = st.value("bits", 0u) | (static_cast<uint32_t>(bits) & ~kHaActive);
        return 0;
    });
}

int ham_get_rb_reason(char* reason)
{
    return sim::read_call("ham_get_rb_reason", json::array(), [reason](const json& st) {
        if (reason != nullptr) {
            copy_text(reason, kHamReasonSize, st.value("rb_reason", ""));
        }
        return 0;
    });
}

int get_ha_status(int state, HaStatusRecord* record)
{
    return sim::read_call("get_ha_status", {state}, [record](const json& st) {
        if (record == nullptr) {
            return -1;
        }
        const json status = sim::status_texts(st);
        copy_text(record->local, sizeof record->local, status.value("local", ""));
        copy_text(record->remote, sizeof record->remote, status.value("remote", ""));
        copy_text(record->summary, sizeof record->summary, status.value("summary", ""));
        return 0;
    });
}

// ---- HA lock --------------------------------------------------------------------------

int ha_lock(int a, int b, const char* owner)
{
    return sim::change_call("ha_lock", {a, b, text_or_null(owner)}, [owner](json& st) {
        if (!st["lock"].is_null()) {
            return 1;
        }
        const int trans = st.value("next_trans", 1);
        st["next_trans"] = wrapped_next(trans);
        st["lock"] = {{"pid", getpid()},
                      {"trans", trans},
                      {"time", static_cast<uint32_t>(time(nullptr))},
                      {"cmd", std::string(owner == nullptr ? "" : owner).substr(0, 31)},
                      {"cp", sim::this_cp(st)}};
        return 0;
    });
}

int ha_unlock(int a)
{
    return sim::change_call("ha_unlock", {a}, [](json& st) {
        st["lock"] = nullptr;
        return 0;
    });
}

int ha_checklock(HaLockRecord* record)
{
    return sim::read_call("ha_checklock", json::array(), [record](const json& st) {
        if (record == nullptr) {
            return -1;
        }
        memset(record, 0, sizeof *record);
        const json& lock = st["lock"];
        if (!lock.is_null()) {
            record->pid = lock.value("pid", 0);
            record->trans = lock.value("trans", 0);
            record->time = lock.value("time", 0u);
            // A name as long as the field is handed back without a NUL, as the lock
            // service may do.
            const std::string cmd = lock.value("cmd", "");
            memcpy(record->cmd, cmd.data(), std::min(cmd.size(), sizeof record->cmd));
        }
        return 0;
    });
}

// ---- CP identity ----------------------------------------------------------------------

int getThisCPSlot(void)
{
    return sim::read_call("getThisCPSlot", json::array(),
                          [](const json& st) { return st["slots"][sim::this_cp(st)].get<int>(); });
}

int getPeerCPSlot(void)
{
    return sim::read_call("getPeerCPSlot", json::array(), [](const json& st) {
        return st["slots"][1 - sim::this_cp(st)].get<int>();
    });
}

int getThisCPNum(void)
{
    return sim::read_call("getThisCPNum", json::array(), [](const json& st) { return sim::this_cp(st); });
}

int cocpu_present(void) { return read_int("cocpu_present", "cocpu"); }
int is_on_cocpu(void) { return read_int("is_on_cocpu", "on_cocpu"); }

// ---- access control -------------------------------------------------------------------

int rbac_init(int mode) { return sim::read_call("rbac_init", {mode}, [](const json&) { return 0; }); }

const char* geps_app_name(void)
{
    static std::string name;
    const json& st = sim::state();
    sim::check_boot(st);
    name = st.value("app_name", "");
    sim::journal(st, "geps_app_name", json::array(), name);
    return name.c_str();
}

int set_chassis_context(const char* command, const char* word, int count, char** argv)
{
    json words = json::array();
    for (int i = 0; argv != nullptr && i < count && argv[i] != nullptr; ++i) {
        words.push_back(argv[i]);
    }
    return sim::read_call("set_chassis_context",
                          {text_or_null(command), text_or_null(word), count, words},
                          [](const json&) { return 0; });
}

int rbac_cli_opt_check(const char* command, const char* option)
{
    return sim::read_call("rbac_cli_opt_check", {text_or_null(command), text_or_null(option)},
                          [](const json&) { return 0; });
}

int rbac_context_type_handler(const char* command, const char* option)
{
    return sim::read_call("rbac_context_type_handler",
                          {text_or_null(command), text_or_null(option)},
                          [](const json&) { return 0; });
}

int rbac_close(void) { return sim::read_call("rbac_close", json::array(), [](const json&) { return 0; }); }

// ---- RAS event log --------------------------------------------------------------------

int rasevt_init_check(void)
{
    return sim::read_call("rasevt_init_check", json::array(),
                          [](const json&) { return g_rasevt_open ? 1 : 0; });
}

int rasevt_init(const char* domain, int flags, const char* client)
{
    return sim::read_call("rasevt_init", {text_or_null(domain), flags, text_or_null(client)},
                          [](const json&) {
                              g_rasevt_open = true;
                              return 0;
                          });
}

int rasevt_gethndl_internal(RasEvtHandle* handle)
{
    return sim::read_call("rasevt_gethndl_internal", json::array(), [handle](const json&) {
        if (handle == nullptr) {
            return -1;
        }
        memset(handle, 0, sizeof *handle);
        memcpy(handle->opaque, "RASEVT", 6);
        return 0;
    });
}

int rasevt_log2(const char* module, const char* function, int line, const char* component,
                RasEvtHandle handle, int a, int b, int event_id, ...)
{
    (void)handle;
    json args = {text_or_null(module), text_or_null(function), line, text_or_null(component),
                 a, b, event_id};
    // The event catalog: which events carry one text.
    if (event_id == kEvtHaStateChanged || event_id == kEvtRebootReason ||
        event_id == kEvtCocpuRebootReason) {
        va_list ap;
        va_start(ap, event_id);
        args.push_back(text_or_null(va_arg(ap, const char*)));
        va_end(ap);
    }
    return sim::read_call("rasevt_log2", std::move(args), [](const json&) { return 0; });
}

int rasevt_exit(void)
{
    return sim::read_call("rasevt_exit", json::array(), [](const json&) {
        g_rasevt_open = false;
        return 0;
    });
}

int raslogd_fsync(int mode, const char* who)
{
    return sim::read_call("raslogd_fsync", {mode, text_or_null(who)}, [](const json&) { return 0; });
}

// ---- HA state machine -----------------------------------------------------------------

static json sync_json(const SyncRequest* request)
{
    if (request == nullptr) {
        return nullptr;
    }
    return {{"head", field(request->head, sizeof request->head)},
            {"tail", field(request->tail, sizeof request->tail)},
            {"reserved", request->reserved}};
}

int hasm_synstart(SyncRequest* request)
{
    return sim::change_call("hasm_synstart", {sync_json(request)}, [](json& st) {
        st["bits"] = st.value("bits", 0u) | kHaSynchronized;
        return 0;
    });
}

int hasm_synstop(SyncRequest* request)
{
    return sim::change_call("hasm_synstop", {sync_json(request)}, [](json& st) {
        st["bits"] = st.value("bits", 0u) & ~kHaSynchronized;
        return 0;
    });
}

int has_get_hsess(int which, HaSession* session)
{
    return sim::read_call("has_get_hsess", {which}, [which, session](const json& st) {
        if (session == nullptr || (which != kSessionLocal && which != kSessionRemote)) {
            return -1;
        }
        const int me = sim::this_cp(st);
        const json& rec = st["hsess"][which == kSessionLocal ? me : 1 - me];
        memset(session, 0, sizeof *session);
        session->fl = rec.value("fl", 0);
        session->up = rec.value("up", 0u);
        session->ac = rec.value("ac", 0u);
        session->sy = rec.value("sy", 0u);
        session->ch = rec.value("ch", 0u);
        copy_text(session->rbr, sizeof session->rbr, rec.value("rbr", ""));
        return 0;
    });
}

static int next_lport(json& st)
{
    const int port = st.value("next_lport", 1024);
    st["next_lport"] = wrapped_next(port);
    return port;
}

int hasm_alloc_lport(int a, int b, int c)
{
    return sim::change_call("hasm_alloc_lport", {a, b, c}, next_lport);
}

int hasm_free_lport(int a, int b, int c)
{
    return sim::read_call("hasm_free_lport", {a, b, c}, [](const json&) { return 0; });
}

int hasm_get_port(int a, int b, int c, int d)
{
    return sim::read_call("hasm_get_port", {a, b, c, d}, [a, b](const json&) {
        // As the platform's 32-bit arithmetic: wraps instead of overflowing.
        return static_cast<int>(static_cast<uint32_t>(a) * 64u + static_cast<uint32_t>(b));
    });
}

int hasm_dump(DumpRequest* request)
{
    json args = nullptr;
    if (request != nullptr) {
        args = {{"flag", request->flag}, {"path", field(request->path, sizeof request->path)}};
    }
    return sim::read_call("hasm_dump", {args}, [request](const json& st) {
        if (request == nullptr) {
            return -1;
        }
        // Only into a regular file of this user with no other name, never through a
        // symlink and never waiting on a FIFO: a dump path in /tmp is anyone's to plant.
        const std::string path = sim::cp_root(sim::this_cp(st)) + field(request->path, sizeof request->path);
        const int fd = sim::open_file(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0644);
        if (fd < 0) {
            return -1;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink > 1 ||
            info.st_uid != geteuid() || ftruncate(fd, 0) != 0) {
            close(fd);
            return -1;
        }
        const std::string text = st.value("dump_text", "");
        const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        return close(fd) == 0 && ok ? 0 : -1;
    });
}

int hasm_testoom(void) { return sim::read_call("hasm_testoom", json::array(), [](const json&) { return 0; }); }

// ---- logical switches -----------------------------------------------------------------

int ls_create(TestParamList* params)
{
    json args = nullptr;
    if (params != nullptr) {
        json entries = json::array();
        const int count = params->count;
        bool rest_zero = count >= 0 && count <= 17;
        for (int i = 0; i < 17; ++i) {
            const TestParam& e = params->entry[i];
            if (i < count) {
                entries.push_back({field(e.name, sizeof e.name), field(e.value, sizeof e.value)});
                rest_zero = rest_zero && zero_behind_text(e.name, sizeof e.name) &&
                            zero_behind_text(e.value, sizeof e.value);
            } else {
                rest_zero = rest_zero && zero(&e, sizeof e);
            }
        }
        args = {{"count", count}, {"entries", entries}, {"rest_zero", rest_zero}};
    }
    json parsed = args;
    return sim::change_call("ls_create", {args}, [parsed](json& st) {
        if (parsed.is_null()) {
            return -1;
        }
        const int sw = sim::new_switch_number(st);
        json attrs = json::object();
        for (const json& e : parsed["entries"]) {
            attrs[e[0].get<std::string>()] = e[1];
        }
        switch_of(st, sw) = {{"ports", json::object()}, {"attr", attrs}, {"enabled", false}};
        return sw;
    });
}

static int set_enabled(const char* name, int sw, bool enabled)
{
    return sim::change_call(name, {sw}, [sw, enabled](json& st) {
        if (!has_switch(st, sw)) {
            return -1;
        }
        switch_of(st, sw)["enabled"] = enabled;
        return 0;
    });
}

int ls_enable(int sw) { return set_enabled("ls_enable", sw, true); }
int ls_disable(int sw) { return set_enabled("ls_disable", sw, false); }

int ls_delete(int sw)
{
    return sim::change_call("ls_delete", {sw}, [sw](json& st) {
        return st["ls"].erase(std::to_string(sw)) == 1 ? 0 : -1;
    });
}

int ls_shutdown(int sw, const char* text)
{
    return sim::change_call("ls_shutdown", {sw, text_or_null(text)}, [sw](json& st) {
        if (!has_switch(st, sw)) {
            return -1;
        }
        switch_of(st, sw)["enabled"] = false;
        return 0;
    });
}

int ls_restart(int sw, const char* text)
{
    return sim::change_call("ls_restart", {sw, text_or_null(text)}, [sw](json& st) {
        if (!has_switch(st, sw)) {
            return -1;
        }
        switch_of(st, sw)["enabled"] = true;
        return 0;
    });
}

int ls_expand(int sw, ExpandRequest* request)
{
    return sim::change_call("ls_expand", {sw, expand_json(request)},
                            [sw, request](json& st) { return expand(st, sw, request, true); });
}

int ls_deexpand(int sw, ExpandRequest* request)
{
    return sim::change_call("ls_deexpand", {sw, expand_json(request)},
                            [sw, request](json& st) { return expand(st, sw, request, false); });
}

int ls_expand_sync(const char* service, int sw, ExpandRequest* request)
{
    return sim::change_call("ls_expand_sync", {text_or_null(service), sw, expand_json(request)},
                            [sw, request](json& st) { return expand(st, sw, request, true); });
}

int ls_deexpand_sync(const char* service, int sw, ExpandRequest* request)
{
    return sim::change_call("ls_deexpand_sync", {text_or_null(service), sw, expand_json(request)},
                            [sw, request](json& st) { return expand(st, sw, request, false); });
}

int ls_alloc_lport(int a, int b) { return sim::change_call("ls_alloc_lport", {a, b}, next_lport); }

int ls_free_lport(int a, int b)
{
    return sim::read_call("ls_free_lport", {a, b}, [](const json&) { return 0; });
}

int ls_get_swport(int sw, SwPortRecord* record)
{
    return sim::read_call("ls_get_swport", {sw}, [sw, record](const json& st) {
        if (record == nullptr || !has_switch(st, sw)) {
            return -1;
        }
        memset(record->ports, 0, sizeof record->ports);
        for (const auto& [port, byte] : st["ls"][std::to_string(sw)]["ports"].items()) {
            const int p = std::stoi(port);
            if (p >= 0 && p < kPortCount) {
                record->ports[p] = byte.get<uint8_t>();
            }
        }
        return 0;
    });
}

int ls_set_attribute(int sw, const char* name, const char* value)
{
    return sim::change_call("ls_set_attribute", {sw, text_or_null(name), text_or_null(value)},
                            [sw, name, value](json& st) {
                                if (!has_switch(st, sw) || name == nullptr || value == nullptr) {
                                    return -1;
                                }
                                switch_of(st, sw)["attr"][name] =
                                    std::string(value).substr(0, kLsAttributeMax - 1);
                                return 0;
                            });
}

int ls_get_attribute(int sw, const char* name, char* value)
{
    json args = {sw, text_or_null(name)};
    if (value == nullptr) {
        args.push_back(nullptr);
    }
    return sim::read_call("ls_get_attribute", args, [sw, name, value](const json& st) {
        if (!has_switch(st, sw) || name == nullptr) {
            return -1;
        }
        const json& attrs = st["ls"][std::to_string(sw)]["attr"];
        const std::string text = attrs.value(name, "");
        if (value == nullptr) {
            return strcmp(name, "FID") == 0 ? atoi(text.c_str()) : -1;
        }
        copy_text(value, kLsAttributeMax, text);
        return attrs.contains(name) ? 0 : -1;
    });
}

int ls_set_sys_attribute(const char* name, const char* value)
{
    return sim::change_call("ls_set_sys_attribute", {text_or_null(name), text_or_null(value)},
                            [name, value](json& st) {
                                if (name == nullptr || value == nullptr) {
                                    return -1;
                                }
                                st["sysattr"][name] = std::string(value).substr(0, kLsAttributeMax - 1);
                                return 0;
                            });
}

int ls_get_sys_attribute(const char* name, char* value)
{
    json args = {text_or_null(name)};
    if (value == nullptr) {
        args.push_back(nullptr);
    }
    return sim::read_call("ls_get_sys_attribute", args, [name, value](const json& st) {
        if (name == nullptr || value == nullptr || !st["sysattr"].contains(name)) {
            return -1;
        }
        copy_text(value, kLsAttributeMax, st["sysattr"][name].get<std::string>());
        return 0;
    });
}

int ls_get_peer_version(PeerVersion* version)
{
    return sim::read_call("ls_get_peer_version", json::array(), [version](const json& st) {
        if (version == nullptr) {
            return -1;
        }
        version->major = st["peer_version"][0].get<int32_t>();
        version->minor = st["peer_version"][1].get<int32_t>();
        return 0;
    });
}

// ---- software watchdog ----------------------------------------------------------------

int swd_init(void) { return sim::read_call("swd_init", json::array(), [](const json&) { return 0; }); }
int swd_enable(void) { return sim::read_call("swd_enable", json::array(), [](const json&) { return 0; }); }
int swd_disable(void) { return sim::read_call("swd_disable", json::array(), [](const json&) { return 0; }); }
int swd_suppress(void) { return sim::read_call("swd_suppress", json::array(), [](const json&) { return 0; }); }
int swd_exit(void) { return sim::read_call("swd_exit", json::array(), [](const json&) { return 0; }); }
int config_swd_kickin(void) { return sim::read_call("config_swd_kickin", json::array(), [](const json&) { return 0; }); }

// ---- system controller ----------------------------------------------------------------

int sysconModel(void) { return read_int("sysconModel", "model"); }
int sysconHwBoardModel(void) { return read_int("sysconHwBoardModel", "board"); }
int esm_is_extnHcl_inprog(void) { return read_int("esm_is_extnHcl_inprog", "dp_upgrade"); }

int isw_get_fcr_state(uint16_t* state)
{
    json args = {state == nullptr ? json(nullptr) : json(*state)};
    return sim::read_call("isw_get_fcr_state", args, [state](const json& st) {
        if (state == nullptr) {
            return -1;
        }
        *state = st.value("fcr_state", uint16_t{2});
        return 0;
    });
}

int iswPause(void) { return sim::read_call("iswPause", json::array(), [](const json&) { return 0; }); }
int essPause(void) { return sim::read_call("essPause", json::array(), [](const json&) { return 0; }); }

int reboot_system(int* mode)
{
    json args = {mode == nullptr ? json(nullptr) : json(*mode)};
    return sim::change_call("reboot_system", args, [](json& st) {
        sim::chassis_goes_down(st);
        return 0;
    });
}

int fssm_admin(int code, HaAdminNotice* notice)
{
    json record = nullptr;
    if (notice != nullptr) {
        const bool rest_zero = zero_behind_text(notice->name, sizeof notice->name) &&
                               zero(notice->zero1, sizeof notice->zero1) &&
                               zero(notice->zero2, sizeof notice->zero2) &&
                               zero(notice->zero3, sizeof notice->zero3);
        record = {{"name", field(notice->name, sizeof notice->name)},
                  {"code", notice->code},
                  {"op", notice->op},
                  {"rest_zero", rest_zero}};
    }
    return sim::read_call("fssm_admin", {code, record}, [](const json&) { return 0; });
}

int get_peer_ip_str(char* address)
{
    return sim::read_call("get_peer_ip_str", json::array(), [address](const json& st) {
        if (address == nullptr) {
            return -1;
        }
        copy_text(address, kPeerIpSize, st.value("peer_ip", ""));
        return 0;
    });
}

int pd_init(void) { return sim::read_call("pd_init", json::array(), [](const json&) { return 0; }); }

int eth_create(int arg) { return sim::read_call("eth_create", {arg}, [](const json&) { return 0; }); }

}  // extern "C"
