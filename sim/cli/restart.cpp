// chassis-sim restart: a CP comes back up as the platform brings it up.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/ham.h"
#include "platform/hasm.h"
#include "sim/store/escape.h"
#include "sim/store/journal.h"
#include "sim/store/paths.h"
#include "sim/store/state.h"
#include "sim/store/ha_rules.h"
#include "sim/cli/verbs.h"

namespace sim {
namespace {

// hainfo init reads two files and makes a few calls: well under a second, also through
// the emulator on a busy machine. One that runs far longer hangs, and would hold the
// restart for ever.
constexpr int kHainfoSeconds = 10;

// How /sbin/hainfo init ended: its exit status, or why it has none.
struct HainfoEnd {
    int status = 0;
    std::string why;  // empty when it exited
};

std::string signal_text(int sig)
{
    const char* name = strsignal(sig);
    return "signal " + std::to_string(sig) + " (" + (name != nullptr ? name : "unknown") + ")";
}

// Runs /sbin/hainfo init of the chassis on the CP this process stands for, in a process
// group of its own so that a hanging one is ended with whatever it started.
HainfoEnd run_hainfo_init()
{
    const std::string program = root() + "/sbin/hainfo";
    fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        return {-1, std::string("it could not start: ") + strerror(errno)};
    }
    if (child == 0) {
        setpgid(0, 0);
        char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("init"), nullptr};
        execv(program.c_str(), argv);
        complain("cannot run " + program + ": " + strerror(errno));
        _exit(127);
    }
    setpgid(child, child);
    struct timespec start {};
    clock_gettime(CLOCK_MONOTONIC, &start);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            return {-1, std::string("it could not be waited for: ") + strerror(errno)};
        }
        struct timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if ((now.tv_sec - start.tv_sec) * 1000000000LL + (now.tv_nsec - start.tv_nsec) >=
            kHainfoSeconds * 1000000000LL) {
            kill(-child, SIGKILL);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return {-1, "it did not end within " + std::to_string(kHainfoSeconds) +
                            " seconds; ended it by " + signal_text(SIGKILL)};
        }
        const struct timespec pause = {0, 10000000};
        nanosleep(&pause, nullptr);
    }
    if (WIFSIGNALED(status)) {
        return {-1, "ended by " + signal_text(WTERMSIG(status))};
    }
    return {WEXITSTATUS(status), {}};
}

}  // namespace

Outcome restart_command(const std::vector<std::string>& args)
{
    if (args.size() != 1 || (args[0] != "0" && args[0] != "1")) {
        return {2, "restart needs the CP: 0 or 1"};
    }
    const int cp = args[0][0] - '0';
    root();
    const json& slots = state()["slots"];
    if (cp == 1 && slots[0].get<long long>() == 0 && slots[1].get<long long>() == 0) {
        complain("refusing restart 1: a chassis without CP slots has only CP0");
        return {1, {}};
    }
    // What the restart needs is checked before it changes anything: a restart that cannot
    // run hainfo init leaves the state and the journal as they were.
    const std::string hainfo = root() + "/sbin/hainfo";
    if (access(hainfo.c_str(), X_OK) != 0) {
        complain("refusing restart " + std::to_string(cp) + ": " + hainfo + " cannot run: " +
                 strerror(errno) + "; nothing changed");
        return {1, {}};
    }
    // Every step is journalled as a step of that CP, and hainfo runs there.
    run_on_cp(cp);
    update_state([cp](json& st) { come_up(st, cp); });
    const HainfoEnd end = run_hainfo_init();
    journal("restart", {cp, "/sbin/hainfo init"}, end.why.empty() ? json(end.status) : json(end.why));
    if (!end.why.empty()) {
        complain("/sbin/hainfo init on CP" + std::to_string(cp) + ": " + end.why);
        return {1, {}};
    }
    if (end.status != 0) {
        complain("/sbin/hainfo init on CP" + std::to_string(cp) + " ended with status " +
                 std::to_string(end.status));
        return {1, {}};
    }
    return {};
}

}  // namespace sim
