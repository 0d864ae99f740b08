// chassis-sim restart: a CP comes back up as the platform brings it up.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/ham.h"
#include "platform/hasm.h"
#include "sim/chassis.h"
#include "sim/people.h"

namespace sim {
namespace {

// Runs /sbin/hainfo init of the chassis on the CP this process stands for; its exit
// status, or -1 when it could not run or ended by a signal.
int run_hainfo_init()
{
    const std::string program = root() + "/sbin/hainfo";
    fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        return -1;
    }
    if (child == 0) {
        char* const argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("init"), nullptr};
        execv(program.c_str(), argv);
        fprintf(stderr, "chassis-sim: cannot run %s: %s\n", program.c_str(), strerror(errno));
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

Outcome restart_command(const std::vector<std::string>& args)
{
    if (args.size() != 1 || (args[0] != "0" && args[0] != "1")) {
        return {2, "restart needs the CP: 0 or 1"};
    }
    const int cp = args[0][0] - '0';
    root();
    // Every step is journalled as a step of that CP, and hainfo runs there.
    setenv("CHASSIS_SIM_CP", args[0].c_str(), 1);
    update_state([cp](json& st) {
        if (!st["lock"].is_null() && st["lock"].value("cp", 0) == cp) {
            const json holder = st["lock"].value("pid", 0LL);
            st["lock"] = nullptr;
            journal("restart", {cp, "lock freed", holder}, 0);
        }
        const uint32_t bits = st.value("bits", 0u);
        const int other = 1 - cp;
        if (st.value("active_cp", 0) == cp && (bits & kHaRedundantPair) == kHaRedundantPair) {
            // The standby took over while this CP was down; a new session began there.
            const auto now = static_cast<uint32_t>(time(nullptr));
            json& previous = st["hsess"][cp];
            json& current = st["hsess"][other];
            previous["fl"] = previous.value("fl", 0) | kSessionExpectedRecovered;
            current["fl"] = 1;
            current["sy"] = now;
            current["ac"] = now;
            current["up"] = previous.value("up", 0u);
            current["ch"] = previous.value("ch", 0u);
            st["active_cp"] = other;
            st["bits"] = bits & ~kHaSynchronized;
            journal("restart", {cp, "CP" + std::to_string(other) + " took over"}, 0);
        }
        const bool standby = st.value("active_cp", 0) != cp;
        journal("restart", {cp, standby ? "up as standby" : "up as active"}, 0);
    });
    const int status = run_hainfo_init();
    journal("restart", {cp, "/sbin/hainfo init"}, status);
    if (status != 0) {
        fprintf(stderr, "chassis-sim: /sbin/hainfo init on CP%d ended with status %d\n", cp, status);
        return {1, {}};
    }
    return {};
}

}  // namespace sim
