// The simulated chassis: concurrent processes never lose a change or a journal line.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/hasm.h"
#include "platform/ham.h"
#include "sim/chassis.h"
#include "sim/scenarios.h"

namespace {

// The chassis of this test process, with an empty journal and a fresh state. The
// simulator fixes its root at the first call, so an earlier test's chassis (named by
// CHASSIS_SIM_ROOT) is the one to use; only a process without one makes its own.
std::string make_chassis()
{
    static const std::string dir = [] {
        const char* given = getenv("CHASSIS_SIM_ROOT");
        if (given != nullptr && *given != '\0') {
            return sim::root();
        }
        char tmpl[] = "/tmp/simtest.XXXXXX";
        std::string made = std::string(mkdtemp(tmpl)) + "/c";
        EXPECT_EQ(sim::init_chassis(made, "redundant", ""), "");
        setenv("CHASSIS_SIM_ROOT", made.c_str(), 1);
        static const std::string top = made.substr(0, made.size() - 2);
        atexit([] { std::filesystem::remove_all(top); });
        return sim::root();
    }();
    sim::update_state([](sim::json& st) { st = sim::scenario_state("redundant"); });
    std::ofstream(dir + "/sim/journal.jsonl", std::ios::trunc);
    return dir;
}

TEST(SimulatedChassis, ConcurrentChangesAreNotLost)
{
    const std::string dir = make_chassis();
    constexpr int kProcesses = 8;
    constexpr int kCalls = 25;
    for (int p = 0; p < kProcesses; ++p) {
        if (fork() == 0) {
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

    std::ifstream journal(dir + "/sim/journal.jsonl");
    std::set<int> ports;
    std::string line;
    int lines = 0;
    while (std::getline(journal, line)) {
        const auto entry = sim::json::parse(line);  // every line whole
        ++lines;
        ports.insert(entry["ret"].get<int>());
    }
    EXPECT_EQ(lines, kProcesses * kCalls);
    EXPECT_EQ(ports.size(), static_cast<size_t>(kProcesses * kCalls));
    EXPECT_EQ(*ports.begin(), 1024);
}

TEST(SimulatedChassis, LockIsGrantedToOneHolderAtATime)
{
    make_chassis();
    EXPECT_EQ(ha_lock(0, 0, "first"), 0);
    EXPECT_NE(ha_lock(0, 0, "second"), 0);
    HaLockRecord record{};
    ASSERT_EQ(ha_checklock(&record), 0);
    EXPECT_EQ(record.pid, getpid());
    EXPECT_STREQ(record.cmd, "first");
    EXPECT_EQ(ha_unlock(0), 0);
    ASSERT_EQ(ha_checklock(&record), 0);
    EXPECT_EQ(record.pid, 0);
}

}  // namespace
