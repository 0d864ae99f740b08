// The layout of a chassis directory: its folders, programs and files, laid out beside it
// and renamed into place; and its programs linked again to another build.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include "sim/store/files.h"
#include "sim/store/shape.h"
#include "sim/store/layout.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

// Creates a file that must not exist yet.
void write_text(const fs::path& path, const std::string& text)
{
    const int fd = open_file(path.string(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0) {
        throw fs::filesystem_error("cannot create", path, std::error_code(errno, std::generic_category()));
    }
    const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int error = errno;
    close(fd);
    if (!ok) {
        throw fs::filesystem_error("cannot write", path, std::error_code(error, std::generic_category()));
    }
}

std::string not_empty_message(const std::string& dir)
{
    return "refusing '" + dir + "': it is not empty; a chassis is laid out only in a new or empty directory";
}

// Whether dir holds anything (a file that is not a directory counts as full); false
// when it does not exist.
bool has_entries(const std::string& dir)
{
    std::error_code ec;
    const bool empty = fs::is_empty(dir, ec);
    return ec ? ec != std::errc::no_such_file_or_directory : !empty;
}

// A word for sh that stands for text exactly: in single quotes, each ' as '\''.
std::string shell_quoted(const std::string& text)
{
    std::string out = "'";
    for (const char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

// A program of the chassis: a link to the real binary, or a wrapper that runs it
// through the emulator with the name it was started under.
void install_program(const fs::path& path, const std::string& binary, const std::string& emulator)
{
    fs::create_directories(path.parent_path());
    if (emulator.empty()) {
        fs::create_symlink(binary, path);
        return;
    }
    write_text(path, "#!/bin/sh\nexec " + emulator + " -0 \"$0\" " + shell_quoted(binary) + " \"$@\"\n");
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

// Every program of the chassis in base with the binary it runs and whether it runs it
// through the emulator; last the two links (sim/tool, sim/program) by which an open sees
// at one look whether the programs are still there.
void each_program(const fs::path& base, const std::string& tool, const std::string& simulator,
                  const std::function<void(const fs::path&, const std::string&, bool)>& put)
{
    for (const std::string& name : tool_names()) {
        put(base / "sbin" / name, tool, true);
    }
    put(base / "tarny/cliexec/hashow", tool, true);
    for (const Program& program : kPrograms) {
        put(base / program.path, simulator, true);
    }
    put(base / "sim/tool", tool, false);
    put(base / "sim/program", simulator, false);
}

// Ends the process at a named step of init when CHASSIS_SIM_INIT_STOP names it: the
// hold-up tests kill init there.
void stop_point(const char* step)
{
    const char* stop = getenv("CHASSIS_SIM_INIT_STOP");
    if (stop != nullptr && strcmp(stop, step) == 0) {
        raise(SIGKILL);
    }
}

// The sibling an init lays out in, removed unless it was renamed into place.
struct Sibling {
    fs::path path;
    ~Sibling()
    {
        if (!path.empty()) {
            std::error_code ec;
            fs::remove_all(path, ec);
        }
    }
};

// Siblings that killed inits left in parent: PREFIX and the id of an init that has ended.
void remove_abandoned_layouts(const fs::path& parent, const std::string& prefix)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(parent, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0 || name.size() == prefix.size() ||
            name.find_first_not_of("0123456789", prefix.size()) != std::string::npos ||
            name.size() - prefix.size() > 9) {
            continue;
        }
        const auto pid = static_cast<pid_t>(std::stol(name.substr(prefix.size())));
        if (pid > 0 && kill(pid, 0) != 0 && errno == ESRCH) {
            fs::remove_all(entry.path(), ec);
        }
    }
}

// CP1's file system: its own var/, mnt/var/ and tmp/; the chassis's programs and /proc.
void lay_out_cp1(const fs::path& base)
{
    for (const char* sub : {"cp1/var/log", "cp1/mnt/var", "cp1/tmp"}) {
        fs::create_directories(base / sub);
    }
    for (const char* shared : {"sbin", "tarny", "bin", "usr", "proc"}) {
        fs::create_symlink(std::string("../") + shared, base / "cp1" / shared);
    }
}

std::string self_dir()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

struct BadProgram {
    std::string why;
};

// Where the tool and chassis-sim are: beside this program, or in an installed tree.
std::string find_binary(const char* env, const std::string& name, const char* other_dir)
{
    const char* given = getenv(env);
    if (given != nullptr && *given != '\0') {
        // Every program of the chassis links to it: it must be there, and be found from
        // any directory.
        struct stat st {};
        if (stat(given, &st) != 0 || !S_ISREG(st.st_mode) || access(given, X_OK) != 0) {
            throw BadProgram{std::string(env) + " is '" + given + "', which is not an executable file"};
        }
        return fs::absolute(given).lexically_normal().string();
    }
    const std::string dir = self_dir();
    for (const std::string& candidate :
         {dir + "/" + name, dir + "/../" + other_dir + "/" + name}) {
        if (access(candidate.c_str(), X_OK) == 0) {
            return fs::canonical(candidate).string();
        }
    }
    return {};
}

// Finds the tool and chassis-sim that a chassis links to; an error text, empty when both
// are found.
std::string find_programs(std::string& tool, std::string& simulator)
{
    try {
        tool = find_binary("CHASSIS_SIM_TOOL", "haadm", "sbin");
        simulator = find_binary("CHASSIS_SIM_PROGRAM", "chassis-sim", "bin");
    } catch (const BadProgram& bad) {
        return bad.why;
    }
    if (tool.empty() || simulator.empty()) {
        return "cannot find the haadm and chassis-sim programs (set CHASSIS_SIM_TOOL and "
               "CHASSIS_SIM_PROGRAM)";
    }
    return {};
}

// Puts a new program in place of the one at path (or where there is none): made beside
// it and renamed over it, so that a command started meanwhile finds one or the other.
void replace_program(const fs::path& path, const std::string& binary, const std::string& emulator)
{
    const fs::path made = path.string() + ".relink." + std::to_string(getpid());
    std::error_code ec;
    fs::remove(made, ec);
    install_program(made, binary, emulator);
    fs::rename(made, path);
}

}  // namespace

std::string simulator_command()
{
    std::string path;
    try {
        path = find_binary("CHASSIS_SIM_PROGRAM", "chassis-sim", "bin");
    } catch (const BadProgram&) {
    }
    if (path.empty()) {
        return "chassis-sim";
    }
    if (path.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789/._+-") ==
        std::string::npos) {
        return path;
    }
    return shell_quoted(path);
}

std::string relink_chassis(const std::string& root, const std::string& emulator, std::string& tool,
                           std::string& simulator)
{
    if (std::string why = find_programs(tool, simulator); !why.empty()) {
        return why;
    }
    try {
        // The links last: until they are in place, an open still finds the chassis stale.
        each_program(root, tool, simulator, [&](const fs::path& path, const std::string& binary, bool emulated) {
            replace_program(path, binary, emulated ? emulator : std::string());
        });
    } catch (const fs::filesystem_error& e) {
        return std::string("cannot relink the chassis: ") + e.what();
    }
    return {};
}

bool is_safe_path(const std::string& dir)
{
    return (dir.empty() || dir[0] != '-') && dir.find_first_of(" \t\n\"'`$\\;&|<>()*?[]{}~#!") == std::string::npos;
}

std::string unsafe_path_message(const std::string& dir)
{
    if (!dir.empty() && dir[0] == '-') {
        return "refusing '" + dir + "': a chassis path must not begin with '-'";
    }
    return "refusing '" + dir + "': a chassis path must not contain blanks or shell metacharacters";
}

std::string init_chassis(const std::string& dir, const std::string& scenario,
                         const std::string& emulator)
{
    json st = scenario_state(scenario);
    if (st.is_null()) {
        std::string known;
        for (const std::string& n : scenario_names()) {
            known += (known.empty() ? "" : ", ") + n;
        }
        return "unknown scenario '" + scenario + "' (known: " + known + ")";
    }
    return init_chassis_state(dir, std::move(st), emulator);
}

std::string init_chassis_state(const std::string& dir, json st, const std::string& emulator)
{
    if (dir.empty()) {
        return "no chassis directory given";
    }
    if (!is_safe_path(dir)) {
        return unsafe_path_message(dir);
    }
    std::error_code ec;
    if (fs::exists(dir + "/sim/state.json", ec)) {
        return dir + " already holds a chassis; use another directory or remove it first";
    }
    if (has_entries(dir)) {
        return not_empty_message(dir);
    }
    std::string tool;
    std::string simulator;
    if (std::string why = find_programs(tool, simulator); !why.empty()) {
        return why;
    }
    try {
        // The chassis is laid out in a sibling of DIR and renamed into place, so that a
        // killed init leaves DIR as it was; of several inits on one DIR the one whose
        // rename lands first wins (rename replaces only an empty directory).
        fs::path target = fs::absolute(dir).lexically_normal();
        if (target.filename().empty()) {
            target = target.parent_path();
        }
        if (fs::is_directory(target, ec)) {
            target = fs::canonical(target);
        }
        fs::create_directories(target.parent_path());
        // A short name: DIR's own name may already take the longest a name can be.
        const std::string prefix = ".chassis-sim-init.";
        remove_abandoned_layouts(target.parent_path(), prefix);
        const fs::path base = target.parent_path() / (prefix + std::to_string(getpid()));
        if (mkdir(base.c_str(), 0777) != 0 && errno == EEXIST) {
            fs::remove_all(base);  // left by an ended init that had this process's id
        }
        if (!fs::exists(base, ec) && mkdir(base.c_str(), 0777) != 0) {
            return "cannot lay out the chassis: " + base.string() + ": " + strerror(errno);
        }
        Sibling sibling{base};
        stop_point("made");
        fs::create_directories(base / "sim");
        for (const char* sub : {"sbin", "tarny/cliexec", "bin", "usr/bin", "var/log",
                                "mnt/var", "tmp", "proc/fss/ha", "proc/fss/fcsw0"}) {
            fs::create_directories(base / sub);
        }
        lay_out_cp1(base);
        stop_point("dirs");
        each_program(base, tool, simulator, [&](const fs::path& path, const std::string& binary, bool emulated) {
            install_program(path, binary, emulated ? emulator : std::string());
        });
        stop_point("programs");
        fs::create_symlink("/bin/cat", base / "bin/cat");
        fs::create_symlink("/usr/bin/yes", base / "usr/bin/yes");
        write_text(base / "proc/fss/ha/state", "ha: active, redundant\n");
        write_text(base / "proc/fss/fcsw0/state", "fcsw0: online\n");
        write_text(base / "proc/fss/ha.log", "ha: sync complete\n");
        st["emulator"] = emulator;
        stop_point("files");
        write_text(base / "sim/journal.jsonl", "");
        write_text(base / "sim/state.json", to_text(st, 1) + "\n");
        stop_point("state");
        if (rename(base.c_str(), target.c_str()) != 0) {
            if (errno == ENOTEMPTY || errno == EEXIST) {
                return fs::exists(target / "sim/state.json", ec)
                           ? dir + " already holds a chassis; use another directory or remove it first"
                           : not_empty_message(dir);
            }
            return "cannot lay out the chassis: " + target.string() + ": " + strerror(errno);
        }
        sibling.path.clear();
    } catch (const fs::filesystem_error& e) {
        return std::string("cannot lay out the chassis: ") + e.what();
    }
    return {};
}

}  // namespace sim
