// The seams of platform/seams.h: the chassis root the tool pastes into its command lines,
// and the requests on the HA manager device (journalled as ioctl); and, before main, the
// name a program of the chassis sees (its CP path), set here as a CP sets it, so that the
// tool's code does not know. (Here, and not in a file of its own: the tool calls the
// seams, so the linker takes this object from the library, and the constructor with it.)

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/ham.h"
#include "platform/seams.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/ha_rules.h"
#include "sim/store/paths.h"
#include "sim/store/state.h"
#include "sim/store/journal.h"

using namespace sim;  // the simulator's state, journal and helpers

namespace {

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
    const std::string named = sim::named_root();
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

}  // namespace

extern "C" {

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

}  // extern "C"
