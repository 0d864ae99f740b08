// The chassis lock, under which every change is one read-modify-write, and the record
// in the lock file by which the next process settles a change that was cut short.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "sim/store/escape.h"
#include "sim/store/files.h"
#include "sim/store/internal.h"
#include "sim/store/paths.h"

namespace sim {

namespace {

constexpr int kLockWaitSeconds = 10;

// The process's id: asked of the kernel once, and again in a child after a fork (each
// time, should the fork handler not be taken).
pid_t g_pid = 0;

int g_lock_fd = -1;
pid_t g_lock_pid = 0;  // the process that opened g_lock_fd
int g_lock_depth = 0;

// A change in progress: under the chassis lock, before its first journal line, the lock
// file records the journal's length and the state file's inode; the change lands with
// the rename of the new state (a file of another inode), after all its journal lines,
// and the record is emptied after it. The next process that takes the lock and finds a
// record settles what a killed change left: a state still of the recorded inode did not
// change, so the journal is cut back to the recorded length and the temporary state
// dropped; a state of another inode holds the change and all its lines.
bool g_changing = false;
off_t g_journal_before = 0;
std::string_view g_change_call;  // the platform call making the change; empty for chassis-sim's

}  // namespace

pid_t own_pid()
{
    static const bool reset_at_fork = pthread_atfork(nullptr, nullptr, [] { g_pid = 0; }) == 0;
    if (!reset_at_fork) {
        return getpid();
    }
    if (g_pid == 0) {
        g_pid = getpid();
    }
    return g_pid;
}

// Ends the process by SIGKILL at a step of a change that CHASSIS_SIM_CHANGE_STOP names
// (STEP, or STEP:CALL for the changes of one platform call), as a kill from outside
// would: the hold-up tests cut changes short there.
void stop_point(std::string_view step)
{
    const char* stop = getenv("CHASSIS_SIM_CHANGE_STOP");
    if (stop == nullptr) {
        return;
    }
    const std::string_view want(stop);
    if (want == step || (!g_change_call.empty() && want.size() == step.size() + 1 + g_change_call.size() &&
                         want.substr(0, step.size()) == step && want[step.size()] == ':' &&
                         want.substr(step.size() + 1) == g_change_call)) {
        raise(SIGKILL);
    }
}

// Cuts the journal back to length before when it is longer (a cleared journal stays so).
void cut_journal(off_t before)
{
    struct stat js {};
    forget_journal_end();
    if (stat(journal_path().c_str(), &js) == 0 && S_ISREG(js.st_mode) && js.st_size > before &&
        truncate(journal_path().c_str(), before) != 0) {
        fatal("cannot take back the journal lines of a change that did not land: " +
              std::string(strerror(errno)));
    }
}

void clear_record()
{
    if (ftruncate(g_lock_fd, 0) != 0) {
        fatal("cannot clear " + lock_path() + ": " + strerror(errno));
    }
}

// Called under the chassis lock, outside a change of this process.
void settle_pending()
{
    char text[64] = {};
    const ssize_t n = pread(g_lock_fd, text, sizeof text - 1, 0);
    long long before = -1;
    unsigned long long ino = 0;
    char end = '\0';
    struct stat st {};
    // A record cut short was written before any line or temporary state of its change.
    if (n > 0 && sscanf(text, "%lld %llu%c", &before, &ino, &end) == 3 && end == '\n' &&
        before >= 0 && stat(state_path().c_str(), &st) == 0 && st.st_ino == ino) {
        cut_journal(static_cast<off_t>(before));
    }
    remove_stale_tmp();
    clear_record();
}

// Under the chassis lock, before the change's first journal line and its temporary state.
void begin_change(std::string_view call)
{
    g_change_call = call;
    struct stat js {};
    struct stat st {};
    g_journal_before = stat(journal_path().c_str(), &js) == 0 ? js.st_size : 0;
    if (stat(state_path().c_str(), &st) != 0) {
        fatal("cannot read " + state_path() + ": " + strerror(errno));
    }
    const std::string record = std::to_string(static_cast<long long>(g_journal_before)) + " " +
                               std::to_string(static_cast<unsigned long long>(st.st_ino)) + "\n";
    if (pwrite(g_lock_fd, record.data(), record.size(), 0) != static_cast<ssize_t>(record.size())) {
        fatal("cannot record a change in " + lock_path() + ": " + strerror(errno));
    }
    g_changing = true;
    stop_point("pending");
}

bool changing() { return g_changing; }

off_t journal_before() { return g_journal_before; }

void abandon_change()
{
    if (g_changing) {
        g_changing = false;
        clear_record();
    }
}

// After the rename: the change landed.
void end_change()
{
    stop_point("renamed");
    g_changing = false;
    clear_record();
}

// The lock file is the owner's alone: anyone who can open it can hold the lock and stall
// the chassis. One left with wider modes by an earlier version is narrowed; one of
// another user is refused (a chassis is one user's: its state is written by its owner).
int open_lock()
{
    struct stat st {};
    const int fd = open_own(lock_path(), O_RDWR | O_CREAT, 0600, &st);
    if (fd < 0) {
        fatal("cannot open " + lock_path() + ": " + strerror(errno) + refused_hint(errno));
    }
    if (st.st_uid != geteuid()) {
        fatal("refusing " + lock_path() + ": it belongs to another user" + refused_hint(EACCES));
    }
    if ((st.st_mode & 077) != 0 && fchmod(fd, 0600) != 0) {
        fatal("cannot make " + lock_path() + " private: " + strerror(errno));
    }
    return fd;
}

ChassisLock::ChassisLock()
{
    root();  // a first open settles a change cut short, under a lock of its own
    if (g_lock_depth++ > 0) {
        return;
    }
    // A forked child shares its parent's open lock file, and with it the lock: it
    // opens its own.
    if (g_lock_fd >= 0 && g_lock_pid != own_pid()) {
        close(g_lock_fd);
        g_lock_fd = -1;
    }
    if (g_lock_fd < 0) {
        g_lock_fd = open_lock();
        g_lock_pid = own_pid();
    }
    // Holds last one read-modify-write: a lock held far longer is held by a process
    // that is stopped or not of the simulator, and waiting for it would stall every
    // program of the chassis.
    struct timespec start {};
    clock_gettime(CLOCK_MONOTONIC, &start);
    long pause_ns = 1000000;
    while (flock(g_lock_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            fatal("cannot lock " + lock_path() + ": " + strerror(errno) + refused_hint(errno));
        }
        struct timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        if ((now.tv_sec - start.tv_sec) * 1000000000LL + (now.tv_nsec - start.tv_nsec) >=
            kLockWaitSeconds * 1000000000LL) {
            fatal("the chassis lock " + lock_path() + " has been held by another process for " +
                  std::to_string(kLockWaitSeconds) + " seconds; giving up");
        }
        const struct timespec pause = {0, pause_ns};
        nanosleep(&pause, nullptr);
        pause_ns = std::min(pause_ns * 2, 20000000L);
    }
    // A change in progress is recorded in the lock file: one left there was cut short.
    struct stat info {};
    if (fstat(g_lock_fd, &info) == 0 && info.st_size > 0) {
        settle_pending();
    }
}
ChassisLock::~ChassisLock()
{
    if (--g_lock_depth == 0) {
        flock(g_lock_fd, LOCK_UN);
    }
}

}  // namespace sim
