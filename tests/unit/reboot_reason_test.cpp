// The reboot reason store against a simulated chassis: recording under concurrency,
// failed writes, the time stamp of hainfo and the full cycle across processes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "haadm/commands.h"
#include "reboot/reboot.h"
#include "sim/store/state.h"
#include "tests/chassis.h"

namespace {

namespace fs = std::filesystem;

using test::chassis;

std::string path_of(const std::string& cp_path) { return chassis() + cp_path; }

std::string read_file(const std::string& cp_path)
{
    std::ifstream in(path_of(cp_path), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const std::string& cp_path, const std::string& text)
{
    std::ofstream(path_of(cp_path), std::ios::binary | std::ios::trunc) << text;
}

int count_calls(const std::string& call, const nlohmann::json& args)
{
    int n = 0;
    for (const auto& e : test::journal()) {
        n += e["call"] == call && e["args"] == args ? 1 : 0;
    }
    return n;
}

// The exit status of a command line run in the chassis directory, its standard output
// left in the chassis's /tmp/out.
int run(const std::string& line)
{
    const int status = system(("cd " + chassis() + " && TZ=UTC " + line + " >tmp/out").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RebootReason : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(chassis().empty());
        std::error_code ec;
        for (const char* file : {reboot::kReasonFile, reboot::kAltReasonFile,
                                 reboot::kSecondaryReasonFile}) {
            fs::remove_all(path_of(file), ec);
        }
        sim::update_state([](sim::json& st) {
            st["on_cocpu"] = 0;
            st["rb_reason"] = "";
            st["fail"] = sim::json::object();
        });
        std::ofstream(path_of("/sim/journal.jsonl"), std::ios::trunc);
    }
};

// Forks count children that wait until all of them exist, then run child(i) together
// and exit with its result. Returns their exit statuses, -1 for one that did not exit.
std::vector<int> run_together(int count, const std::function<int(int)>& child)
{
    int gate[2];
    if (pipe(gate) != 0) {
        ADD_FAILURE() << "pipe failed";
        return {};
    }
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            close(gate[1]);
            char c;
            while (read(gate[0], &c, 1) > 0) {
            }
            _exit(child(i));
        }
        EXPECT_GE(pid, 0);
        children.push_back(pid);
    }
    close(gate[0]);
    close(gate[1]);  // releases them all at once
    std::vector<int> statuses;
    for (const pid_t pid : children) {
        int status = 0;
        EXPECT_EQ(waitpid(pid, &status, 0), pid);
        statuses.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return statuses;
}

// Of many recorders forked from this process and released together, so that their tests
// and writes overlap, exactly one writes and tells the HA manager.
TEST_F(RebootReason, ConcurrentCallsWriteExactlyOnce)
{
    constexpr int kRecorders = 32;
    constexpr int kRounds = 10;
    for (int round = 0; round < kRounds; ++round) {
        SetUp();
        const auto statuses = run_together(kRecorders, [](int i) {
            const std::string reason = "r" + std::to_string(i);
            return reboot_reason_set(reason.c_str()) == 0 ? 0 : 1;
        });
        ASSERT_EQ(statuses.size(), static_cast<size_t>(kRecorders));
        EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 0), 1) << "round " << round;
        EXPECT_EQ(std::count(statuses.begin(), statuses.end(), -1), 0) << "round " << round;
        EXPECT_TRUE(std::regex_match(read_file(reboot::kReasonFile), std::regex(R"(r\d+)")));
        EXPECT_EQ(count_calls("notifyHAM", {24}), 1) << "round " << round;
    }
}

TEST_F(RebootReason, SetWritesOnlyIntoAnEmptyFile)
{
    using namespace std::string_literals;
    const struct {
        bool exists;
        std::string before;
        int result;
        std::string after;
    } cases[] = {
        {false, "", 0, "Hareboot @ 03152024-141502"},
        {true, "", 0, "Hareboot @ 03152024-141502"},
        {true, "\0old"s, 0, "Hareboot @ 03152024-141502"},
        {true, "FirmwareDownload @ 01012024-000000", -1, "FirmwareDownload @ 01012024-000000"},
        {true, "\n", -1, "\n"},
    };
    reboot_reason_set("");  // the simulator opens the files it keeps open
    for (const auto& c : cases) {
        SetUp();
        if (c.exists) {
            write_file(reboot::kReasonFile, c.before);
        }
        const auto open_before = std::distance(fs::directory_iterator("/proc/self/fd"), {});
        EXPECT_EQ(reboot_reason_set("Hareboot @ 03152024-141502"), c.result);
        // The file is closed again, and its lock with it.
        EXPECT_EQ(std::distance(fs::directory_iterator("/proc/self/fd"), {}), open_before);
        EXPECT_EQ(read_file(reboot::kReasonFile), c.after);
        EXPECT_EQ(count_calls("notifyHAM", {24}), c.result == 0 ? 1 : 0);
    }
}

TEST_F(RebootReason, SetReportsAFileThatCannotBeOpened)
{
    fs::create_directories(path_of(reboot::kReasonFile));
    EXPECT_EQ(reboot_reason_set("Hareboot"), -1);
    EXPECT_EQ(count_calls("notifyHAM", {24}), 0);
}

// A reason that does not fit on the disk is not reported as written, nobody is told,
// and the file is left empty for the next recorder.
TEST_F(RebootReason, SetReportsAFailedWrite)
{
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{10, 10};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(reboot_reason_set("FirmwareDownload @ 03152024-141502") == -1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(read_file(reboot::kReasonFile), "");
    EXPECT_EQ(count_calls("notifyHAM", {24}), 0);
    // The next recorder still finds the file empty.
    EXPECT_EQ(reboot_reason_set("Hareboot"), 0);
    EXPECT_EQ(read_file(reboot::kReasonFile), "Hareboot");
}

// A reader holding the file locked, as anyone who can read it can, does not stall the
// recorder: after a bounded wait hainfo goes on as with a file that cannot be opened,
// status 0 and nothing written, nobody told. Once the lock is gone the next one records.
TEST_F(RebootReason, ALockedFileDoesNotStallTheRecorder)
{
    write_file(reboot::kReasonFile, "");
    int ready[2];
    int release[2];
    ASSERT_EQ(pipe(ready), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        close(ready[0]);
        close(release[1]);
        const int fd = open(path_of(reboot::kReasonFile).c_str(), O_RDONLY);
        const char c = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'y' : 'n';
        (void)!write(ready[1], &c, 1);
        char done;
        (void)!read(release[0], &done, 1);  // holds the lock until released or orphaned
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char locked = 'n';
    ASSERT_EQ(read(ready[0], &locked, 1), 1);
    ASSERT_EQ(locked, 'y');
    const int status_locked = run("sbin/hainfo RebootReason Hareboot");
    close(release[1]);
    int status = 0;
    waitpid(holder, &status, 0);
    EXPECT_EQ(status_locked, 0);
    EXPECT_EQ(read_file("/tmp/out"), "");
    EXPECT_EQ(read_file(reboot::kReasonFile), "");
    EXPECT_EQ(count_calls("notifyHAM", {24}), 0);
    EXPECT_EQ(run("sbin/hainfo RebootReason Hareboot"), 0);
    EXPECT_TRUE(std::regex_match(read_file(reboot::kReasonFile), std::regex(R"(Hareboot @ \d{8}-\d{6})")));
    EXPECT_EQ(count_calls("notifyHAM", {24}), 1);
}

// Leaves text on the stack where the next call's buffers will lie.
[[gnu::noinline]] void dirty_stack()
{
    volatile char junk[8192];
    for (char& c : const_cast<char(&)[8192]>(junk)) {
        c = 'A';
    }
}

// hainfo show prints an empty reason, not what lay in its buffer, when the HA manager
// fills nothing.
TEST_F(RebootReason, ShowWithAnUnfilledBufferPrintsAnEmptyReason)
{
    sim::update_state([](sim::json& st) { st["fail"]["ham_get_rb_reason"] = -1; });
    char name[] = "hainfo";
    char show[] = "show";
    char* argv[] = {name, show, nullptr};
    haadm::Run run{2, argv, name, 6};
    testing::internal::CaptureStdout();
    dirty_stack();
    const haadm::Outcome outcome = haadm::cmd_hainfo(run);
    fflush(stdout);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Last Reboot Reason:[]\n");
    EXPECT_EQ(outcome.ending, haadm::Ending::common_exit);
    EXPECT_EQ(outcome.status, 0);
}

}  // namespace
