// Scenarios and the layout of a chassis directory.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "sim/chassis.h"
#include "sim/scenarios.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

json base_state()
{
    const json no_session = {{"fl", 0}, {"up", 0}, {"ac", 0}, {"sy", 0}, {"ch", 0}, {"rbr", ""}};
    return {
        {"this_cp", 0},
        {"active_cp", 0},
        {"bits", 0x080000C6},
        {"slots", {6, 7}},
        {"cocpu", 0},
        {"on_cocpu", 0},
        {"model", 100},
        {"board", 10},
        {"dp_upgrade", 1},
        {"fcr_state", 2},
        {"node", 1},
        {"ipc_max", 8192},
        {"app_name", "CLI"},
        {"peer_ip", "127.0.0.7"},
        {"peer_reachable", 1},
        {"status",
         {{"local", "Healthy"},
          {"remote", "Healthy"},
          {"summary", "HA enabled, Heartbeat Up, HA State synchronized"}}},
        {"rb_reason", ""},
        {"lock", nullptr},
        {"next_trans", 1},
        {"hsess",
         {{{"fl", 1},
           {"up", 1700000000},
           {"ac", 0},
           {"sy", 1700000300},
           {"ch", 1700000000},
           {"rbr", ""}},
          no_session}},
        {"ls", json::object()},
        {"next_ls", 1},
        {"next_lport", 1024},
        {"sysattr", json::object()},
        {"peer_version", {9, 2}},
        {"dump_text", "HA state machine dump\nstate: active\n"},
        {"fail", json::object()},
        {"emulator", ""},
    };
}

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

// Whether dir holds anything; false also when it does not exist.
bool has_entries(const std::string& dir)
{
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        return errno != ENOENT;
    }
    bool found = false;
    while (const dirent* e = readdir(d)) {
        if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
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
    write_text(path, "#!/bin/sh\nexec " + emulator + " -0 \"$0\" " + binary + " \"$@\"\n");
    fs::permissions(path, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
}

std::string self_dir()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : self.parent_path().string();
}

// Where the tool and chassis-sim are: beside this program, or in an installed tree.
std::string find_binary(const char* env, const std::string& name, const char* other_dir)
{
    const char* given = getenv(env);
    if (given != nullptr && *given != '\0') {
        return given;
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

}  // namespace

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

const std::vector<std::string>& scenario_names()
{
    static const std::vector<std::string> names = {"redundant", "standby", "non-redundant",
                                                   "ha-disabled", "no-slots"};
    return names;
}

json scenario_state(const std::string& name)
{
    json st = base_state();
    if (name == "redundant") {
        return st;
    }
    if (name == "standby") {
        st["this_cp"] = 1;
        return st;
    }
    if (name == "non-redundant") {
        st["bits"] = 0x080000C6 & ~0x6;
        st["status"]["remote"] = "Not present";
        st["status"]["summary"] = "";
        return st;
    }
    if (name == "ha-disabled") {
        st["bits"] = 0x080000C6 & ~0x44;
        return st;
    }
    if (name == "no-slots") {
        st["bits"] = 0;
        st["slots"] = {0, 0};
        st["status"]["remote"] = "Not present";
        st["status"]["summary"] = "";
        st["hsess"][0]["fl"] = 0;
        return st;
    }
    return nullptr;
}

const std::vector<std::string>& tool_names()
{
    static const std::vector<std::string> names = {
        "hashow",      "haShow",        "haenable",      "haEnable",     "hadisable",
        "haDisable",   "hafailover",    "haFailover",    "hahamdump",    "hadump",
        "hasyncstart", "haSyncStart",   "hasyncstop",    "haSyncStop",   "hashutdown",
        "swdadmin",    "chassisreboot", "chassisReboot", "hareboot",     "haReboot",
        "hainfo",      "hareset",       "hasmshutdown",  "hasmrestart",  "hasmtest",
        "hachecklock", "hafreelock",    "haredundancy",  "platformyield"};
    return names;
}

std::string init_chassis(const std::string& dir, const std::string& scenario,
                         const std::string& emulator)
{
    if (dir.empty()) {
        return "no chassis directory given";
    }
    if (!is_safe_path(dir)) {
        return unsafe_path_message(dir);
    }
    json st = scenario_state(scenario);
    if (st.is_null()) {
        std::string known;
        for (const std::string& n : scenario_names()) {
            known += (known.empty() ? "" : ", ") + n;
        }
        return "unknown scenario '" + scenario + "' (known: " + known + ")";
    }
    std::error_code ec;
    if (fs::exists(dir + "/sim/state.json", ec)) {
        return dir + " already holds a chassis";
    }
    if (has_entries(dir)) {
        return not_empty_message(dir);
    }
    const std::string tool = find_binary("CHASSIS_SIM_TOOL", "haadm", "sbin");
    const std::string simulator = find_binary("CHASSIS_SIM_PROGRAM", "chassis-sim", "bin");
    if (tool.empty() || simulator.empty()) {
        return "cannot find the haadm and chassis-sim programs (set CHASSIS_SIM_TOOL and "
               "CHASSIS_SIM_PROGRAM)";
    }
    try {
        fs::create_directories(dir);
        const fs::path base = fs::canonical(dir);
        // Of several inits on one directory, the one that makes sim/ lays out the chassis.
        if (mkdir((base / "sim").c_str(), 0755) != 0) {
            if (errno != EEXIST) {
                return "cannot lay out the chassis: " + (base / "sim").string() + ": " + strerror(errno);
            }
            return fs::exists(dir + "/sim/state.json", ec)
                       ? dir + " already holds a chassis"
                       : not_empty_message(dir);
        }
        for (const char* sub : {"sbin", "tarny/cliexec", "bin", "usr/bin", "var/log",
                                "mnt/var", "tmp", "proc/fss/ha", "proc/fss/fcsw0"}) {
            fs::create_directories(base / sub);
        }
        for (const std::string& name : tool_names()) {
            install_program(base / "sbin" / name, tool, emulator);
        }
        install_program(base / "tarny/cliexec/hashow", tool, emulator);
        for (const char* program : {"tarny/cliexec/fastboot", "tarny/cliexec/ipaddrshow",
                                    "tarny/cliexec/reboot", "bin/ping", "usr/bin/rsh"}) {
            install_program(base / program, simulator, emulator);
        }
        fs::create_symlink("/bin/cat", base / "bin/cat");
        fs::create_symlink("/usr/bin/yes", base / "usr/bin/yes");
        write_text(base / "proc/fss/ha/state", "ha: active, redundant\n");
        write_text(base / "proc/fss/fcsw0/state", "fcsw0: online\n");
        write_text(base / "proc/fss/ha.log", "ha: sync complete\n");
        st["emulator"] = emulator;
        write_text(base / "sim/journal.jsonl", "");
        write_text(base / "sim/state.json", to_text(st, 1) + "\n");
    } catch (const fs::filesystem_error& e) {
        return std::string("cannot lay out the chassis: ") + e.what();
    }
    return {};
}

}  // namespace sim
