// Where the chassis is: its root (CHASSIS_SIM_ROOT or the default chassis, made on first
// use), the files in it, and each CP's file system.
#include "sim/store/paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "sim/store/escape.h"
#include "sim/store/files.h"
#include "sim/store/internal.h"
#include "sim/store/layout.h"

namespace fs = std::filesystem;

namespace sim {

// What a person can do when the chassis belongs to someone else.
std::string refused_hint(int error)
{
    return error == EACCES || error == EPERM
               ? "; ask its owner or set CHASSIS_SIM_ROOT to a chassis of your own"
               : "";
}

namespace {

std::string g_root;
// Chosen once per process, with the root.
OwnFiles& g_files = *new OwnFiles;

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

bool g_programs_unchecked = false;

// A chassis whose programs link to a build or an install that is gone: every program it
// runs would be "not found". One look at each of the two programs the links point at
// (sim/tool, sim/program).
void check_programs(const std::string& dir)
{
    std::string gone;
    for (const char* link : {"/sim/tool", "/sim/program"}) {
        if (gone.empty() && access((dir + link).c_str(), X_OK) != 0) {
            gone = dir + link;
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

const OwnFiles& own_files()
{
    root();
    return g_files;
}

std::string default_root_path(bool or_empty)
{
    // Only an absolute XDG_STATE_HOME counts; a relative one is ignored as unset.
    const char* xdg = getenv("XDG_STATE_HOME");
    const char* home = getenv("HOME");
    if (xdg != nullptr && xdg[0] == '/') {
        return std::string(xdg) + "/chassis-sim/default";
    }
    if (home != nullptr && *home != '\0') {
        return std::string(home) + "/.local/state/chassis-sim/default";
    }
    if (!or_empty) {
        fatal("neither CHASSIS_SIM_ROOT nor HOME is set");
    }
    return {};
}

std::string named_root()
{
    const char* env = getenv("CHASSIS_SIM_ROOT");
    return env != nullptr && *env != '\0' ? env : default_root_path(true);
}

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
    const bool named = env != nullptr && *env != '\0';
    g_root = named ? env : default_root_path();
    while (g_root.size() > 1 && g_root.back() == '/') {
        g_root.pop_back();
    }
    g_files = {g_root + "/sim/state.json", g_root + "/sim/lock", g_root + "/sim/journal.jsonl",
               g_root + "/sim/state.json.tmp"};
    // The root is pasted into shell command lines.
    if (!is_safe_path(g_root)) {
        fatal(unsafe_path_message(g_root));
    }
    if (!named) {
        create_default(g_root);
        // Children (the programs the tool runs) use the same chassis.
        setenv("CHASSIS_SIM_ROOT", g_root.c_str(), 1);
    } else if (access((g_root + "/sim/state.json").c_str(), F_OK) != 0) {
        fatal(no_chassis_advice(g_root));
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

}  // namespace sim
