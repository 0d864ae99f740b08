// The simulated chassis: concurrent processes never lose a change or a journal line.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/hasm.h"
#include "sim/store/layout.h"
#include "sim/store/paths.h"
#include "sim/store/state.h"
#include "tests/chassis.h"

namespace {

// The chassis of this test process, with an empty journal and a fresh state.
void make_chassis()
{
    const std::string& dir = test::chassis();
    sim::update_state([](sim::json& st) { st = sim::scenario_state("redundant"); });
    std::ofstream(dir + "/sim/journal.jsonl", std::ios::trunc);
}

TEST(SimulatedChassis, ConcurrentChangesAreNotLost)
{
    make_chassis();
    constexpr int kProcesses = 8;
    constexpr int kCalls = 25;
    std::set<long long> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = fork();
        children.insert(child);
        if (child == 0) {
            for (int i = 0; i < kCalls; ++i) {
                hasm_alloc_lport(p, i, 1);
            }
            _exit(0);
        }
    }
    for (int p = 0; p < kProcesses; ++p) {
        int status = 0;
        wait(&status);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(sim::state()["next_lport"], 1024 + kProcesses * kCalls);

    std::set<int> ports;
    std::set<long long> pids;
    const auto entries = test::journal();  // every line whole
    for (const auto& entry : entries) {
        ports.insert(entry["ret"].get<int>());
        pids.insert(entry["pid"].get<long long>());
    }
    EXPECT_EQ(entries.size(), static_cast<size_t>(kProcesses * kCalls));
    EXPECT_EQ(pids, children);  // each child journals as itself, not as the parent
    EXPECT_EQ(ports.size(), static_cast<size_t>(kProcesses * kCalls));
    EXPECT_EQ(*ports.begin(), 1024);
}

}  // namespace

// CHASSIS_SIM_CLOCK freezes the simulated CP's clock at whole seconds; anything else
// leaves the host's clock reading, and no chassis is opened with it.
TEST(SimulatedClock, FreezesAtWholeSecondsOnly)
{
    struct Case {
        const char* value;  // nullptr: unset
        long long seconds;  // -1: the host's clock
    };
    const Case cases[] = {
        {"1800000000", 1800000000}, {"0x7FFFFFFF", 0x7FFFFFFF}, {"0xFFFFFFFF", 0xFFFFFFFFLL},
        {"0", 0},                   {"017", 17},                {"99999999999", 99999999999LL},
        {nullptr, -1},              {"", -1},                   {"-5", -1},
        {" 5", -1},                 {"5s", -1},                 {"0x", -1},
        {"99999999999999999999", -1},
    };
    for (const Case& c : cases) {
        if (c.value == nullptr) {
            unsetenv("CHASSIS_SIM_CLOCK");
        } else {
            setenv("CHASSIS_SIM_CLOCK", c.value, 1);
        }
        time_t out = 1;
        const long long now = time(&out);
        if (c.seconds < 0) {
            // Later than this test was written: the host's clock.
            EXPECT_GT(now, 1796000000) << (c.value ? c.value : "(unset)");
        } else {
            EXPECT_EQ(now, c.seconds) << c.value;
        }
        EXPECT_EQ(static_cast<long long>(out), now) << (c.value ? c.value : "(unset)");
        // A chassis is opened only with the clock unset or frozen.
        EXPECT_EQ(sim::clock_setting_ok(), c.value == nullptr || c.seconds >= 0)
            << (c.value ? c.value : "(unset)");
    }
    unsetenv("CHASSIS_SIM_CLOCK");
}
