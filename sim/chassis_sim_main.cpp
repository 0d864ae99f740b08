// chassis-sim: make, change and inspect simulated chassis; also the platform programs
// of a chassis (ping, rsh, fastboot, ipaddrshow, reboot) under their own names.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "generated/lists.inc"
#include "sim/chassis.h"
#include "sim/store/ha_rules.h"
#include "sim/people.h"
#include "sim/scenarios.h"
#include "sim/snapshot.h"

using sim::json;

namespace {

constexpr const char* kUsage =
    "usage: chassis-sim init DIR [--scenario NAME | --from FILE|-] [--emulator 'COMMAND ...']\n"
    "       chassis-sim set KEY=VALUE ...\n"
    "       chassis-sim fail CALL=RESULT ... | --clear\n"
    "       chassis-sim show [--json]\n"
    "       chassis-sim journal [--call NAME]... [--pid N] [--cp N] [--last N] [--json]\n"
    "       chassis-sim journal --clear\n"
    "       chassis-sim restart CP\n"
    "       chassis-sim relink\n"
    "       chassis-sim -h | --help | --version\n"
    "The chassis is CHASSIS_SIM_ROOT, else the default chassis.\n";

// Calls with an integer result, whose result `fail` can inject: every such call of the
// platform's headers.
const std::vector<std::string> kFailable = {HAADM_PLATFORM_CALLS};

struct BadValue {
    std::string why;
};

// A number as people and scripts write it: decimal or 0x-hex digits, with an optional
// leading minus sign and nothing else (no blanks, no plus sign).
std::optional<long long> parse_number(const std::string& text)
{
    size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    const bool minus = i == 1;
    const bool hex = text.size() > i + 2 && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X');
    i += hex ? 2 : 0;
    if (i == text.size()) {
        return std::nullopt;
    }
    const unsigned long long limit = static_cast<unsigned long long>(LLONG_MAX) + (minus ? 1 : 0);
    unsigned long long value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        const unsigned base = hex ? 16 : 10;
        if (digit < 0 || value > (limit - static_cast<unsigned>(digit)) / base) {
            return std::nullopt;
        }
        value = value * base + static_cast<unsigned>(digit);
    }
    if (minus) {
        return value == limit ? LLONG_MIN : -static_cast<long long>(value);
    }
    return static_cast<long long>(value);
}

long long number(const std::string& text, long long low, long long high)
{
    const auto value = parse_number(text);
    if (!value || *value < low || *value > high) {
        throw BadValue{"'" + text + "' is not a number from " + std::to_string(low) + " to " +
                       std::to_string(high)};
    }
    return *value;
}

std::string text(const std::string& value, size_t max)
{
    if (value.size() > max) {
        throw BadValue{"a text of at most " + std::to_string(max) + " characters is expected"};
    }
    return value;
}

std::vector<std::string> split(const std::string& value, char sep)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(value);
    while (std::getline(in, part, sep)) {
        parts.push_back(part);
    }
    if (!value.empty() && value.back() == sep) {
        parts.emplace_back();
    }
    return parts;
}

// One CP's session record from FL,UP,AC,SY,CH,RBR.
json session(const std::string& value)
{
    const auto parts = split(value, ',');
    if (parts.size() != 6) {
        throw BadValue{"expected FL,UP,AC,SY,CH,RBR"};
    }
    return {{"fl", number(parts[0], INT32_MIN, UINT32_MAX)},
            {"up", number(parts[1], 0, UINT32_MAX)},
            {"ac", number(parts[2], 0, UINT32_MAX)},
            {"sy", number(parts[3], 0, UINT32_MAX)},
            {"ch", number(parts[4], 0, UINT32_MAX)},
            {"rbr", text(parts[5], 27)}};
}

json port_map(const std::string& value)
{
    json ports = json::object();
    if (value.empty()) {
        return ports;
    }
    for (const std::string& item : split(value, ',')) {
        const auto colon = item.find(':');
        if (colon == std::string::npos) {
            throw BadValue{"expected P:BYTE,..."};
        }
        const long long port = number(item.substr(0, colon), 0, 1799);
        const long long byte = number(item.substr(colon + 1), 0, 255);
        if (byte != 0) {
            ports[std::to_string(port)] = byte;
        }
    }
    return ports;
}

// Applies KEY=VALUE to the state; throws BadValue for a bad value, returns false for an
// unknown key.
bool apply(json& st, const std::string& key, const std::string& value)
{
    const int cp = sim::this_cp(st);
    static const std::map<std::string, std::pair<long long, long long>> kNumbers = {
        {"cocpu", {0, 1}},         {"on_cocpu", {0, 1}},         {"model", {INT32_MIN, INT32_MAX}},
        {"board", {INT32_MIN, INT32_MAX}}, {"dp_upgrade", {INT32_MIN, INT32_MAX}},
        {"fcr_state", {0, 65535}}, {"node", {0, 65535}},         {"ipc_max", {INT32_MIN, INT32_MAX}},
        {"peer_reachable", {0, 1}}};
    if (const auto it = kNumbers.find(key); it != kNumbers.end()) {
        st[key] = number(value, it->second.first, it->second.second);
    } else if (key == "state") {
        const auto word = static_cast<uint32_t>(number(value, INT32_MIN, UINT32_MAX));
        st["bits"] = word & ~1u;
        st["active_cp"] = (word & 1u) != 0 ? cp : 1 - cp;
    } else if (key == "this_cp") {
        st["this_cp"] = number(value, 0, 1);
    } else if (key == "slots") {
        if (value == "0") {
            st["slots"] = {0, 0};
        } else {
            const auto parts = split(value, ',');
            if (parts.size() != 2) {
                throw BadValue{"expected A,B or 0"};
            }
            st["slots"] = {number(parts[0], INT32_MIN, INT32_MAX), number(parts[1], INT32_MIN, INT32_MAX)};
        }
    } else if (key == "app_name") {
        st[key] = text(value, 63);
    } else if (key == "peer_ip") {
        st[key] = text(value, 63);
    } else if (key == "status.local" || key == "status.remote" || key == "status.summary") {
        // A text set by a person stays as set until status=auto.
        const std::string which = key.substr(7);
        st["status"][which] = text(value, 127);
        if (!st.contains("status_set")) {
            st["status_set"] = {"local", "remote", "summary"};
        }
        json& set = st["status_set"];
        if (std::find(set.begin(), set.end(), which) == set.end()) {
            set.push_back(which);
        }
    } else if (key == "status") {
        if (value != "auto") {
            throw BadValue{"expected auto (the three texts follow the state word again)"};
        }
        st["status_set"] = json::array();
    } else if (key == "rb_reason") {
        st[key] = text(value, 63);
    } else if (key == "lock") {
        if (value == "free") {
            st["lock"] = nullptr;
        } else {
            const auto parts = split(value, ',');
            if (parts.size() != 4) {
                throw BadValue{"expected free or PID,TRANS,TIME,CMD"};
            }
            const long long pid = number(parts[0], INT32_MIN, INT32_MAX);
            if (pid == 0) {
                throw BadValue{"PID 0 is a free lock; use free"};
            }
            st["lock"] = {{"pid", pid},
                          {"trans", number(parts[1], INT32_MIN, INT32_MAX)},
                          {"time", number(parts[2], 0, UINT32_MAX)},
                          {"cmd", text(parts[3], 32)},  // 32: fills the field without a NUL
                          {"cp", cp}};
        }
    } else if (key == "hsess.local") {
        st["hsess"][cp] = session(value);
    } else if (key == "hsess.remote") {
        st["hsess"][1 - cp] = session(value);
    } else if (key.rfind("ls.", 0) == 0) {
        const auto dot = key.find('.', 3);
        if (dot == std::string::npos) {
            return false;
        }
        const std::string sw = std::to_string(number(key.substr(3, dot - 3), INT32_MIN, INT32_MAX));
        const std::string rest = key.substr(dot + 1);
        json& ls = st["ls"][sw];
        if (ls.is_null()) {
            ls = {{"ports", json::object()}, {"attr", json::object()}, {"enabled", false}};
        }
        if (rest == "ports") {
            ls["ports"] = port_map(value);
        } else if (rest.rfind("attr.", 0) == 0 && rest.size() > 5) {
            ls["attr"][rest.substr(5)] = text(value, 255);
        } else {
            return false;
        }
    } else if (key.rfind("sysattr.", 0) == 0 && key.size() > 8) {
        st["sysattr"][key.substr(8)] = text(value, 255);
    } else if (key == "peer_version") {
        const auto dot = value.find('.');
        if (dot == std::string::npos) {
            throw BadValue{"expected MAJOR.MINOR"};
        }
        st["peer_version"] = {number(value.substr(0, dot), INT32_MIN, INT32_MAX),
                              number(value.substr(dot + 1), INT32_MIN, INT32_MAX)};
    } else if (key == "dump_text") {
        st[key] = value;
    } else {
        return false;
    }
    return true;
}

int usage_error(const std::string& message)
{
    sim::complain(message);
    fputs(kUsage, stderr);
    return 2;
}

// What hasnapshot prints is a few kilobytes; a file or a stream larger than this is not
// one, and reading it whole would only fill the memory.
constexpr size_t kSnapshotLimit = 1024 * 1024;

// The state of a chassis laid out from a snapshot file ("-": standard input); a refusal
// names the file and what is wrong with it.
std::optional<json> snapshot_state(const std::string& file)
{
    const std::string named = file == "-" ? "standard input" : file;
    std::string text;
    const int fd = file == "-" ? 0 : sim::open_file(file, O_RDONLY);
    const bool read = fd >= 0 && sim::read_all(fd, text, kSnapshotLimit);
    const int error = errno;
    if (fd > 0) {
        close(fd);
    }
    if (!read) {
        sim::complain(named + ": cannot read it: " + strerror(error));
        return std::nullopt;
    }
    if (text.size() > kSnapshotLimit) {
        sim::complain(named + ": more than " + std::to_string(kSnapshotLimit) +
                      " bytes; a snapshot is a few kilobytes");
        return std::nullopt;
    }
    json st;
    const std::string wrong = sim::state_from_snapshot(
        text, st, [](json& state, const std::string& key, const std::string& value) {
            apply(state, key, value);
        });
    if (!wrong.empty()) {
        sim::complain(named + ": " + wrong);
        return std::nullopt;
    }
    return st;
}

int cmd_init(int argc, char** argv)
{
    std::string dir;
    // Each option once: a second one would silently take the place of the first.
    std::map<std::string, std::string> given;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string option;
        std::string value;
        for (const char* name : {"--scenario", "--emulator", "--from"}) {
            const size_t length = strlen(name);
            if (arg == name && i + 1 < argc) {
                option = name;
                value = argv[++i];
            } else if (arg.compare(0, length, name) == 0 && arg.size() > length && arg[length] == '=') {
                option = name;
                value = arg.substr(length + 1);
            }
        }
        if (!option.empty()) {
            if (!given.emplace(option, value).second) {
                return usage_error(option + " is given twice");
            }
        } else if (arg.rfind("--", 0) == 0 || !dir.empty()) {
            return usage_error("unexpected argument '" + arg + "'");
        } else {
            dir = arg;
        }
    }
    if (dir.empty()) {
        return usage_error("init needs a directory");
    }
    const auto from = given.find("--from");
    if (from != given.end() && given.count("--scenario") != 0) {
        return usage_error("--from and --scenario do not go together");
    }
    const std::string emulator = given.count("--emulator") != 0 ? given["--emulator"] : "";
    std::string error;
    if (from != given.end()) {
        // Read and checked whole before anything is laid out.
        std::optional<json> st = snapshot_state(from->second);
        if (!st) {
            return 1;
        }
        error = sim::init_chassis_state(dir, std::move(*st), emulator);
    } else {
        const auto scenario = given.find("--scenario");
        error = sim::init_chassis(dir, scenario == given.end() ? "redundant" : scenario->second, emulator);
    }
    if (!error.empty()) {
        sim::complain(error);
        return 1;
    }
    return 0;
}

int cmd_set(int argc, char** argv)
{
    if (argc < 3) {
        return usage_error("set needs KEY=VALUE");
    }
    std::string error;
    sim::root();
    json st = sim::state();
    for (int i = 2; i < argc && error.empty(); ++i) {
        const std::string pair = argv[i];
        const auto eq = pair.find('=');
        if (eq == std::string::npos || eq == 0) {
            error = "'" + pair + "' is not KEY=VALUE";
            break;
        }
        const std::string key = pair.substr(0, eq);
        if (!sim::text_is_utf8(key)) {
            error = "the key '" + key + "' is not UTF-8";
            break;
        }
        try {
            if (!apply(st, key, pair.substr(eq + 1))) {
                error = "unknown key '" + key + "'";
            }
        } catch (const BadValue& bad) {
            error = "bad value for " + key + ": " + bad.why;
        }
    }
    if (!error.empty()) {
        sim::complain(error + "; nothing changed");
        return 1;
    }
    // Applied again under the lock so that concurrent changes are not lost.
    sim::update_state([&](json& fresh) {
        for (int i = 2; i < argc; ++i) {
            const std::string pair = argv[i];
            const auto eq = pair.find('=');
            apply(fresh, pair.substr(0, eq), pair.substr(eq + 1));
        }
    });
    return 0;
}

int cmd_fail(int argc, char** argv)
{
    if (argc == 3 && strcmp(argv[2], "--clear") == 0) {
        sim::root();
        sim::update_state([](json& st) { st["fail"] = json::object(); });
        return 0;
    }
    if (argc < 3) {
        return usage_error("fail needs CALL=RESULT or --clear");
    }
    std::map<std::string, int> fails;
    for (int i = 2; i < argc; ++i) {
        const std::string pair = argv[i];
        const auto eq = pair.find('=');
        const std::string call = pair.substr(0, eq);
        if (eq == std::string::npos ||
            std::find(kFailable.begin(), kFailable.end(), call) == kFailable.end()) {
            sim::complain("'" + pair + "' is not CALL=RESULT with a call that has an integer "
                          "result; nothing changed");
            return 1;
        }
        const auto value = parse_number(pair.substr(eq + 1));
        if (!value || *value < INT32_MIN || *value > INT32_MAX) {
            sim::complain("bad result for " + call + ": '" + pair.substr(eq + 1) +
                          "' is not a 32-bit integer; nothing changed");
            return 1;
        }
        fails[call] = static_cast<int>(*value);
    }
    sim::root();
    sim::update_state([&](json& st) {
        for (const auto& [call, result] : fails) {
            st["fail"][call] = result;
        }
    });
    return 0;
}

// Runs one of the commands for people and scripts.
int people(sim::Outcome (*command)(const std::vector<std::string>&), int argc, char** argv)
{
    sim::root();
    const sim::Outcome outcome = command(std::vector<std::string>(argv + 2, argv + argc));
    return outcome.refusal.empty() ? outcome.status : usage_error(outcome.refusal);
}

// ---- the chassis's simulated programs --------------------------------------------------

std::string base_name(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash == nullptr ? path : slash + 1;
}

int cmd_relink(int argc)
{
    if (argc != 2) {
        return usage_error("relink takes no arguments");
    }
    sim::leave_programs_unchecked();
    sim::root();
    std::string error;
    std::string tool;
    std::string simulator;
    // Under the chassis lock, so that two relinks do not interleave.
    sim::update_state([&](json&) {
        error = sim::relink_chassis(tool, simulator);
        if (error.empty()) {
            sim::journal("relink", {tool, simulator}, 0);
        }
    });
    if (!error.empty()) {
        sim::complain(error);
        return 1;
    }
    return 0;
}

int run_program(const std::string& name, int argc, char** argv)
{
    json args = json::array();
    args.push_back(sim::cp_path(argv[0]));
    for (int i = 1; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    int code = 0;
    if (name == "ping") {
        code = sim::state().value("peer_reachable", 1) != 0 ? 0 : 1;
    } else if (name == "rsh") {
        const json& st = sim::state();
        std::string host;
        std::string command;
        for (int i = 1; i < argc; ++i) {
            if (strcmp(argv[i], "-n") == 0) {
                continue;
            }
            (host.empty() ? host : command) = argv[i];
            if (!command.empty()) {
                break;
            }
        }
        if (st.value("peer_reachable", 1) == 0 || host != st.value("peer_ip", "")) {
            fprintf(stderr, "rsh: %s: No route to host\n", sim::printable(host).c_str());
            code = 1;
        } else if (command.find("/tarny/cliexec/reboot") != std::string::npos) {
            sim::update_state([](json& fresh) { sim::go_down(fresh, 1 - sim::this_cp(fresh), "rsh"); });
        }
    } else if (name == "fastboot" || name == "reboot") {
        // This CP goes down until chassis-sim restart brings it up again.
        sim::update_state([&name](json& fresh) { sim::go_down(fresh, sim::this_cp(fresh), name); });
    } else if (name == "ipaddrshow") {
        const json& st = sim::state();
        printf("Chassis\nEthernet IP Address: 192.0.2.10\nEthernet Subnetmask: 255.255.255.0\n");
        for (int c = 0; c < 2; ++c) {
            printf("CP%d (slot %d)\nEthernet IP Address: 192.0.2.%d\n", c,
                   st["slots"][c].get<int>(), 11 + c);
        }
    }
    sim::journal("exec", args, code);
    return code;
}

}  // namespace

int run(int argc, char** argv);

// The one way out of chassis-sim: what it printed must have reached standard output.
int main(int argc, char** argv)
{
    int status = run(argc, argv);
    std::cout.flush();
    if (fflush(stdout) != 0 || ferror(stdout) != 0 || !std::cout) {
        fputs("chassis-sim: write error on standard output\n", stderr);
        status = status == 0 ? 1 : status;
    }
    return status;
}

int run(int argc, char** argv)
{
    const std::string self = argc > 0 ? base_name(argv[0]) : "chassis-sim";
    for (const char* program : {"ping", "rsh", "fastboot", "ipaddrshow", "reboot"}) {
        if (self == program) {
            return run_program(self, argc, argv);
        }
    }
    if (argc < 2) {
        return usage_error("no command given");
    }
    const std::string command = argv[1];
    if (command == "init") {
        return cmd_init(argc, argv);
    }
    if (command == "set") {
        return cmd_set(argc, argv);
    }
    if (command == "fail") {
        return cmd_fail(argc, argv);
    }
    if (command == "show") {
        return people(sim::show_command, argc, argv);
    }
    if (command == "journal") {
        return people(sim::journal_command, argc, argv);
    }
    if (command == "relink") {
        return cmd_relink(argc);
    }
    if (command == "restart") {
        return people(sim::restart_command, argc, argv);
    }
    if (command == "-h" || command == "--help" || command == "help") {
        fputs(kUsage, stdout);
        printf("The default chassis: %s\n", sim::printable(sim::default_root_path()).c_str());
        return 0;
    }
    if (command == "--version") {
        printf("chassis-sim %s\n", CHASSIS_SIM_VERSION);
        return 0;
    }
    return usage_error("unknown command '" + command + "'");
}
