#include "sim/chassis.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <sstream>

#include "haadm/printable.h"
#include "sim/fast_state.h"
#include "sim/scenarios.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

// What a person can do when the chassis belongs to someone else.
std::string refused_hint(int error)
{
    return error == EACCES || error == EPERM
               ? "; ask its owner or set CHASSIS_SIM_ROOT to a chassis of your own"
               : "";
}

std::string g_root;
// Never freed: a process ends without taking the cached state apart.
json& g_state = *new json;
std::string& g_state_text = *new std::string;  // the text g_state was read from
struct timespec g_mtime {};
ino_t g_ino = 0;
off_t g_size = -1;
int g_state_cp = 0;  // g_state's this_cp
int g_journal_fd = -1;
int g_lock_fd = -1;
pid_t g_lock_pid = 0;  // the process that opened g_lock_fd
int g_lock_depth = 0;

// The root is chosen once per process, and the paths in it with it (by root()).
std::string& g_state_path = *new std::string;
std::string& g_lock_path = *new std::string;
std::string& g_journal_path = *new std::string;
std::string& g_tmp_path = *new std::string;

void set_paths()
{
    g_state_path = g_root + "/sim/state.json";
    g_lock_path = g_root + "/sim/lock";
    g_journal_path = g_root + "/sim/journal.jsonl";
    g_tmp_path = g_state_path + ".tmp";
}

const std::string& state_path()
{
    root();
    return g_state_path;
}
const std::string& lock_path()
{
    root();
    return g_lock_path;
}
const std::string& journal_path()
{
    root();
    return g_journal_path;
}

std::string read_file(const std::string& path)
{
    const int fd = open_own(path, O_RDONLY);
    if (fd < 0) {
        fatal("cannot read " + path + ": " + strerror(errno));
    }
    std::string text;
    if (!read_all(fd, text)) {
        fatal("cannot read " + path + ": " + strerror(errno));
    }
    close(fd);
    return text;
}

// Writes all of text to fd; false with errno set when it could not.
bool write_all(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// What is wrong with the state text, empty if nothing; st is the state parsed from it.
std::string state_wrong(const std::string& text, json& st)
{
    if (read_own_state(text, st)) {  // the simulator's own layout: no general parse
        return check_state(st);
    }
    std::string wrong = check_nesting(text);
    if (wrong.empty()) {
        try {
            st = json::parse(text);
        } catch (const json::exception& e) {
            wrong = parse_failure(e);
        }
    }
    return wrong.empty() ? check_state(st) : wrong;
}

json parse_state(const std::string& path, std::string* text_read = nullptr)
{
    const std::string text = read_file(path);
    if (text_read != nullptr) {
        *text_read = text;
    }
    json st;
    const std::string wrong = state_wrong(text, st);
    if (!wrong.empty()) {
        fatal("the state in " + path + " is damaged: " + wrong);
    }
    return st;
}

// One temporary name, used only under the chassis lock: a writer killed before its
// rename leaves a file that the next writer replaces.
const std::string& tmp_path()
{
    root();
    return g_tmp_path;
}

// Writes the new state beside the old one; rename_state() puts it in place.
void write_state_tmp(const json& state)
{
    const std::string tmp = tmp_path();
    const int fd = open_own(tmp, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        fatal("cannot write " + tmp + ": " + strerror(errno) + refused_hint(errno));
    }
    if (!write_all(fd, to_text(state, 1) + "\n")) {
        const int error = errno;
        close(fd);
        unlink(tmp.c_str());
        fatal("cannot write " + tmp + ": " + strerror(error));
    }
    close(fd);
}

void rename_state()
{
    if (rename(tmp_path().c_str(), state_path().c_str()) != 0) {
        const int error = errno;
        unlink(tmp_path().c_str());
        fatal("cannot replace " + state_path() + ": " + strerror(error));
    }
}

// Temporary states that writers killed before their rename left behind (also those
// named state.json.tmp.PID by earlier versions); called under the chassis lock.
void remove_stale_tmp()
{
    const std::string dir = root() + "/sim";
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        return;
    }
    while (const dirent* e = readdir(d)) {
        if (strncmp(e->d_name, "state.json.tmp", 14) == 0) {
            unlinkat(dirfd(d), e->d_name, 0);
        }
    }
    closedir(d);
}

constexpr int kLockWaitSeconds = 10;

void settle_pending();

// The process's id: asked of the kernel once, and again in a child after a fork (each
// time, should the fork handler not be taken).
pid_t g_pid = 0;

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

// Where the journal ended after this process's last line, or -1: a journal still of that
// size ends in that line's newline.
off_t g_journal_end = -1;

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

// Holds the chassis lock for one read-modify-write and its journal entry. Nested holds
// in one process share the outer one.
class ChassisLock {
public:
    ChassisLock()
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
    ~ChassisLock()
    {
        if (--g_lock_depth == 0) {
            flock(g_lock_fd, LOCK_UN);
        }
    }
    ChassisLock(const ChassisLock&) = delete;
    ChassisLock& operator=(const ChassisLock&) = delete;
};

std::string default_root()
{
    const char* xdg = getenv("XDG_STATE_HOME");
    std::string base;
    // Only an absolute XDG_STATE_HOME counts; a relative one is ignored as unset.
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = getenv("HOME");
        if (home == nullptr || *home == '\0') {
            fatal("neither CHASSIS_SIM_ROOT nor HOME is set");
        }
        base = std::string(home) + "/.local/state";
    }
    return base + "/chassis-sim/default";
}

}  // namespace

std::string default_root_path()
{
    return default_root();
}

namespace {

void create_default(const std::string& dir)
{
    std::error_code ec;
    fs::create_directories(fs::path(dir).parent_path(), ec);
    if (ec) {
        fatal("cannot create the directory of the default chassis " +
              fs::path(dir).parent_path().string() + ": " + ec.message() +
              "; set CHASSIS_SIM_ROOT to a chassis made with chassis-sim init");
    }
    const std::string guard = fs::path(dir).parent_path().string() + "/default.lock";
    const int fd = open_file(guard, O_RDWR | O_CREAT, 0644);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) {
        fatal("cannot lock " + guard + ": " + strerror(errno));
    }
    if (access((dir + "/sim/state.json").c_str(), F_OK) != 0) {
        const std::string error = init_chassis(dir, "redundant", "");
        if (!error.empty()) {
            fatal(error);
        }
    }
    close(fd);
}

// Appends the compact JSON text of a value that holds only UTF-8 texts, byte for byte as
// the JSON writer makes it (sorted keys, the same escapes); false for a value holding a
// floating-point number, which the writer must make.
bool append_compact(const json& value, std::string& out)
{
    switch (value.type()) {
    case json::value_t::null:
        out += "null";
        return true;
    case json::value_t::boolean:
        out += value.get<bool>() ? "true" : "false";
        return true;
    case json::value_t::number_integer:
        out += std::to_string(value.get<int64_t>());
        return true;
    case json::value_t::number_unsigned:
        out += std::to_string(value.get<uint64_t>());
        return true;
    case json::value_t::string: {
        static const char kHex[] = "0123456789abcdef";
        out += '"';
        for (const char c : value.get_ref<const std::string&>()) {
            const auto u = static_cast<unsigned char>(c);
            switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\b': out += "\\b"; break;
            case '\f': out += "\\f"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (u < 0x20) {
                    out += "\\u00";
                    out += kHex[u >> 4];
                    out += kHex[u & 0xF];
                } else {
                    out += c;
                }
            }
        }
        out += '"';
        return true;
    }
    case json::value_t::array: {
        out += '[';
        bool first = true;
        for (const json& item : value) {
            if (!first) {
                out += ',';
            }
            first = false;
            if (!append_compact(item, out)) {
                return false;
            }
        }
        out += ']';
        return true;
    }
    case json::value_t::object: {
        out += '{';
        bool first = true;
        for (const auto& [key, item] : value.items()) {
            if (!first) {
                out += ',';
            }
            first = false;
            if (!append_compact(json(key), out)) {
                return false;
            }
            out += ':';
            if (!append_compact(item, out)) {
                return false;
            }
        }
        out += '}';
        return true;
    }
    default:
        return false;
    }
}

}  // namespace

std::string to_text(const json& value, int indent)
{
    // Most values hold only UTF-8 texts and are written as they are, without a copy.
    if (!needs_storing(value)) {
        if (indent < 0) {
            std::string out;
            if (append_compact(value, out)) {
                return out;
            }
        }
        return value.dump(indent, ' ', false, json::error_handler_t::replace);
    }
    return stored(value).dump(indent, ' ', false, json::error_handler_t::replace);
}

void complain(const std::string& message)
{
    fprintf(stderr, "chassis-sim: %s\n", printable(message).c_str());
}

void fatal(const std::string& message)
{
    complain(message);
    exit(125);
}

namespace {

bool g_programs_unchecked = false;

// A chassis whose programs link to a build or an install that is gone: every program it
// runs would be "not found". One look at each of the two programs the links point at
// (sim/tool, sim/program); a chassis laid out before these were recorded has its
// sbin/hainfo looked at instead.
void check_programs(const std::string& dir)
{
    const std::string tool = dir + "/sim/tool";
    const std::string program = dir + "/sim/program";
    std::string gone;
    if (access(tool.c_str(), X_OK) == 0) {
        if (access(program.c_str(), X_OK) != 0) {
            gone = program;
        }
    } else {
        struct stat st {};
        const std::string hainfo = dir + "/sbin/hainfo";
        if (lstat(tool.c_str(), &st) == 0) {
            gone = tool;
        } else if (access(hainfo.c_str(), X_OK) != 0) {
            gone = hainfo;
        }
    }
    if (gone.empty()) {
        return;
    }
    std::error_code ec;
    const fs::path target = fs::read_symlink(gone, ec);
    fatal("the programs of the chassis in " + dir + " are gone (" + gone +
          (ec ? std::string(" cannot run") : " links to " + target.string() + ", which is not there") +
          "); relink them with: " + simulator_command() + " relink");
}

}  // namespace

namespace {

// What to do about a root that holds no chassis, as commands that work as printed: init
// lays a chassis out only in a new or empty directory, so a directory that holds other
// files gets a new name inside it.
std::string no_chassis_advice(const std::string& dir)
{
    std::error_code ec;
    const bool usable = !fs::exists(dir, ec) || (fs::is_directory(dir, ec) && fs::is_empty(dir, ec));
    const std::string init = simulator_command() + " init ";
    if (usable && !ec) {
        return "no chassis in " + dir + " (make one with: " + init + dir + ")";
    }
    std::string inside = dir + "/chassis";
    for (int n = 2; fs::exists(inside, ec) && n < 100; ++n) {
        inside = dir + "/chassis-" + std::to_string(n);
    }
    return "no chassis in " + dir + ", and init lays one out only in a new or empty directory (make one with: " +
           init + inside + ", then set CHASSIS_SIM_ROOT=" + inside + ")";
}

}  // namespace

const std::string& root()
{
    if (!g_root.empty()) {
        return g_root;
    }
    const char* cp = getenv("CHASSIS_SIM_CP");
    if (cp != nullptr && strcmp(cp, "0") != 0 && strcmp(cp, "1") != 0) {
        fatal("CHASSIS_SIM_CP is '" + std::string(cp) + "'; it must be 0 or 1");
    }
    if (!clock_setting_ok()) {
        fatal("CHASSIS_SIM_CLOCK is '" + std::string(getenv("CHASSIS_SIM_CLOCK")) +
              "'; it must be whole seconds since the epoch, in decimal or after 0x");
    }
    const char* env = getenv("CHASSIS_SIM_ROOT");
    if (env != nullptr && *env != '\0') {
        g_root = env;
        while (g_root.size() > 1 && g_root.back() == '/') {
            g_root.pop_back();
        }
        set_paths();
        // The root is pasted into shell command lines.
        if (!is_safe_path(g_root)) {
            fatal(unsafe_path_message(g_root));
        }
        if (access((g_root + "/sim/state.json").c_str(), F_OK) != 0) {
            fatal(no_chassis_advice(g_root));
        }
    } else {
        g_root = default_root();
        set_paths();
        if (!is_safe_path(g_root)) {
            fatal(unsafe_path_message(g_root));
        }
        create_default(g_root);
        // Children (the programs the tool runs) use the same chassis.
        setenv("CHASSIS_SIM_ROOT", g_root.c_str(), 1);
    }
    if (!g_programs_unchecked) {
        check_programs(g_root);
    }
    // A change cut short is settled before anything is read: a lock file that is not
    // empty records one (or one still running, which the lock waits for).
    struct stat lock {};
    if (stat(lock_path().c_str(), &lock) == 0 && lock.st_size > 0 && lock.st_uid == geteuid()) {
        ChassisLock settle;
    }
    return g_root;
}

void leave_programs_unchecked() { g_programs_unchecked = true; }

namespace {

// CHASSIS_SIM_CP as 0 or 1, -1 when it names no CP, -2 before it is read.
int g_env_cp = -2;

}  // namespace

int this_cp(const json& state)
{
    if (g_env_cp == -2) {
        const char* env = getenv("CHASSIS_SIM_CP");
        g_env_cp = env != nullptr && (strcmp(env, "0") == 0 || strcmp(env, "1") == 0) ? env[0] - '0' : -1;
    }
    if (g_env_cp >= 0) {
        return g_env_cp;
    }
    return &state == &g_state ? g_state_cp : state.value("this_cp", 0);
}

void run_on_cp(int cp)
{
    setenv("CHASSIS_SIM_CP", cp == 1 ? "1" : "0", 1);
    g_env_cp = cp == 1 ? 1 : 0;
}

const json& state()
{
    struct stat st {};
    const std::string& path = state_path();
    if (stat(path.c_str(), &st) != 0) {
        fatal("cannot read " + path + ": " + strerror(errno));
    }
    if (st.st_ino != g_ino || st.st_size != g_size || st.st_mtim.tv_sec != g_mtime.tv_sec ||
        st.st_mtim.tv_nsec != g_mtime.tv_nsec) {
        g_state = parse_state(path, &g_state_text);
        g_state_cp = g_state.value("this_cp", 0);
        g_ino = st.st_ino;
        g_size = st.st_size;
        g_mtime = st.st_mtim;
    }
    return g_state;
}

std::string state_damage()
{
    const std::string& path = state_path();
    const int fd = open_file(path, O_RDONLY | O_NONBLOCK);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        const std::string why = strerror(errno);
        if (fd >= 0) {
            close(fd);
        }
        return "cannot read " + path + ": " + why;
    }
    std::string text;
    const bool read = S_ISREG(info.st_mode) && read_all(fd, text);
    close(fd);
    if (!read) {
        return "cannot read " + path + ": it is not a regular file";
    }
    json st;
    const std::string wrong = state_wrong(text, st);
    return wrong.empty() ? std::string() : "the state in " + path + " is damaged: " + wrong;
}

const std::string& state_text()
{
    state();
    return g_state_text;
}

int open_file(const std::string& path, int flags, mode_t mode)
{
    const int fd = open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd < 0 || fd > 2) {
        return fd;
    }
    // The standard streams stay what the process was given, also when they are closed.
    const int high = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    const int error = errno;
    close(fd);
    errno = error;
    return high;
}

bool read_all(int fd, std::string& text, size_t limit)
{
    char buffer[65536];
    while (text.size() <= limit) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

int open_own(const std::string& path, int flags, mode_t mode, struct stat* info)
{
    const int fd = open_file(path, flags | O_NONBLOCK, mode);
    if (fd < 0 && (errno == ENXIO || errno == EISDIR)) {  // a FIFO with no reader, a directory
        fatal("cannot use " + path + ": it is not a regular file");
    }
    if (fd < 0) {
        return fd;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        fatal("cannot use " + path + ": it is not a regular file");
    }
    // The status flags are the ones asked for (F_SETFL keeps the access mode and
    // ignores the creation flags).
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (info != nullptr) {
        *info = st;
    }
    return fd;
}

namespace {

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
    g_journal_end = -1;
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

// After the rename: the change landed.
void end_change()
{
    stop_point("renamed");
    g_changing = false;
    clear_record();
}

// A process whose journal cannot grow ends at once; an HA lock it holds would otherwise
// stay held by a dead process until a restart. Called under the chassis lock, after
// the call's own new state was discarded.
void free_own_lock()
{
    json st = parse_state(state_path());
    const json& lock = st["lock"];
    if (lock.is_null() || lock.value("pid", 0LL) != own_pid()) {
        return;
    }
    st["lock"] = nullptr;
    write_state_tmp(st);
    rename_state();
    complain("the HA lock that process " + std::to_string(own_pid()) + " held is freed");
}

// Appends one line under the chassis lock. A journal that does not end in a newline (a
// writer was killed or ran out of room) gets one first; a line that could not be
// written whole is taken back, and the process ends without the call taking effect and
// without the HA lock it held.
void append_journal(const std::string& line)
{
    ChassisLock lock;
    struct stat st {};
    if (g_journal_fd < 0) {
        // Opened under the lock: its status is the journal's now.
        g_journal_fd = open_own(journal_path(), O_RDWR | O_APPEND | O_CREAT, 0644, &st);
        if (g_journal_fd < 0) {
            fatal("cannot open " + journal_path() + ": " + strerror(errno) + refused_hint(errno));
        }
    } else if (fstat(g_journal_fd, &st) != 0) {
        fatal("cannot append to " + journal_path() + ": " + strerror(errno));
    }
    // A writer cut short leaves a torn last line, ended here before this one. The journal
    // is as this process left it when it ends where its last line did.
    char last = '\n';
    const bool torn = st.st_size > 0 && st.st_size != g_journal_end &&
                      pread(g_journal_fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
    g_journal_end = -1;
    if (!(torn ? write_all(g_journal_fd, "\n" + line) : write_all(g_journal_fd, line))) {
        const int error = errno;
        // A change takes back every line it wrote.
        if (ftruncate(g_journal_fd, g_changing ? g_journal_before : st.st_size) != 0) {
            // Nothing more to do: the reader skips a torn line.
        }
        unlink(tmp_path().c_str());
        if (g_changing) {
            g_changing = false;
            clear_record();
        }
        complain("cannot append to " + journal_path() + ": " + strerror(error));
        free_own_lock();
        exit(125);
    }
    g_journal_end = st.st_size + (torn ? 1 : 0) + static_cast<off_t>(line.size());
    if (g_changing) {
        stop_point("journal");
    }
}

}  // namespace

namespace {

// A call's name as a JSON text: names are plain words, anything else goes through the
// writer.
void append_name(std::string_view name, std::string& out)
{
    bool plain = !name.empty();
    for (const char c : name) {
        plain = plain && (isalnum(static_cast<unsigned char>(c)) != 0 || c == '_');
    }
    if (plain) {
        out += '"';
        out += name;
        out += '"';
    } else {
        out += to_text(json(name));
    }
}

void append_value(const json& value, std::string& out)
{
    const size_t start = out.size();
    if (needs_storing(value) || !append_compact(value, out)) {
        out.resize(start);
        out += to_text(value);
    }
}

void journal_as(int cp, std::string_view name, const json& args, const json& ret)
{
    // The line of the object {pid, cp, call, args, ret}, its keys in the order the JSON
    // writer gives them, made without building the object.
    std::string line;
    line.reserve(160);
    line += "{\"args\":";
    append_value(args, line);
    line += ",\"call\":";
    append_name(name, line);
    line += ",\"cp\":";
    line += std::to_string(cp);
    line += ",\"pid\":";
    line += std::to_string(static_cast<long long>(own_pid()));
    line += ",\"ret\":";
    append_value(ret, line);
    line += "}\n";
    append_journal(line);
}

}  // namespace

void journal(std::string_view name, const json& args, const json& ret)
{
    journal_as(this_cp(state()), name, args, ret);
}

void journal(const json& state, std::string_view name, const json& args, const json& ret)
{
    journal_as(this_cp(state), name, args, ret);
}

namespace {

const json* injected(const json& st, std::string_view name)
{
    const auto fails = st.find("fail");
    if (fails == st.end()) {
        return nullptr;
    }
    const auto it = fails->find(std::string(name));
    return it == fails->end() ? nullptr : &*it;
}

}  // namespace

namespace {

int g_boot_cp = -1;
long long g_boot = -1;

long long boot_of(const json& st, int cp)
{
    const auto boots = st.find("boots");
    return boots == st.end() ? 0 : (*boots)[static_cast<size_t>(cp)].get<long long>();
}

}  // namespace

void check_boot(const json& st)
{
    if (g_boot < 0) {
        g_boot_cp = this_cp(st);
        g_boot = boot_of(st, g_boot_cp);
        return;
    }
    if (boot_of(st, g_boot_cp) != g_boot) {
        fatal("CP" + std::to_string(g_boot_cp) +
              " was restarted after this process began; its calls no longer reach the chassis");
    }
}

int read_call(std::string_view name, json args, const std::function<int(const json&)>& body)
{
    const json& st = state();
    check_boot(st);
    const json* fail = injected(st, name);
    const int ret = fail != nullptr ? fail->get<int>() : body(st);
    // A read call changes nothing: the state it read is the state it journals for.
    journal_as(this_cp(st), name, args, ret);
    return ret;
}

int change_call(std::string_view name, json args, const std::function<int(json&)>& body)
{
    {
        const json& st = state();
        check_boot(st);
        const json* fail = injected(st, name);
        if (fail != nullptr) {
            const int ret = fail->get<int>();
            journal_as(this_cp(st), name, args, ret);
            return ret;
        }
    }
    ChassisLock lock;
    remove_stale_tmp();
    json st = parse_state(state_path());
    check_boot(st);  // a restart that came while this call waited for the lock
    begin_change(name);
    const int ret = body(st);
    // The new state is ready before the entry is written, and takes effect only after:
    // a call whose entry cannot be written changes nothing.
    write_state_tmp(st);
    stop_point("tmp");
    journal(name, args, ret);
    rename_state();
    end_change();
    return ret;
}

void void_call(std::string_view name, json args)
{
    const json& st = state();
    check_boot(st);
    journal_as(this_cp(st), name, args, nullptr);
}

void update_state(const std::function<void(json&)>& body)
{
    ChassisLock lock;
    remove_stale_tmp();
    json st = parse_state(state_path());
    begin_change({});
    body(st);
    write_state_tmp(st);
    stop_point("tmp");
    rename_state();
    end_change();
}

const std::string& cp_root(int cp)
{
    static std::string cp1;
    if (cp == 0) {
        return root();
    }
    if (cp1.empty()) {
        const std::string dir = root() + "/cp1";
        struct stat st {};
        if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            fatal(root() + " has no file system for CP1 (" + dir +
                  "): it was laid out by an older chassis-sim; make the chassis again with init");
        }
        cp1 = dir;
    }
    return cp1;
}

std::string cp_path(const std::string& path)
{
    // A relative root reaches the tool as "./ROOT" (see platform_root): either spelling
    // is taken off, CP1's file system before the chassis's own.
    const std::string r =
        root()[0] == '/' || path.compare(0, 2, "./") != 0 ? root() : "./" + root();
    const std::string cp1 = r + "/cp1";
    if (path.size() > cp1.size() && path.compare(0, cp1.size(), cp1) == 0 && path[cp1.size()] == '/') {
        return path.substr(cp1.size());
    }
    if (path.size() > r.size() && path.compare(0, r.size(), r) == 0 && path[r.size()] == '/') {
        return path.substr(r.size());
    }
    return path;
}

std::string printable(const std::string& text)
{
    std::string shown;
    haadm::escape_printable(text.data(), text.size(),
                            [&shown](const char* bytes, size_t count) { shown.append(bytes, count); });
    return shown;
}

std::string json_printable(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == 0x7f || (c == 0xc2 && next >= 0x80 && next <= 0x9f)) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c == 0x7f ? c : next);
            shown += escaped;
            i += c == 0x7f ? 0 : 1;
        } else {
            shown += text[i];
        }
    }
    return shown;
}

std::string human_line(const json& entry)
{
    std::string line = printable(entry.value("call", "?")) + "(";
    bool first = true;
    for (const json& arg : entry.value("args", json::array())) {
        if (!first) {
            line += ", ";
        }
        line += printable(to_text(arg));
        first = false;
    }
    line += ")";
    const auto ret = entry.find("ret");
    if (ret != entry.end() && !ret->is_null()) {
        line += " = " + printable(to_text(*ret));
    }
    return line;
}

}  // namespace sim
