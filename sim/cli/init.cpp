// chassis-sim init and relink: a new chassis from a scenario or a snapshot, and a
// chassis linked again to this build's programs.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/cli/verbs.h"
#include "sim/cli/snapshot.h"
#include "sim/store/escape.h"
#include "sim/store/files.h"
#include "sim/store/journal.h"
#include "sim/store/layout.h"
#include "sim/store/paths.h"
#include "sim/store/state.h"

namespace sim {
namespace {

// What hasnapshot prints is a few kilobytes; a file or a stream larger than this is not
// one, and reading it whole would only fill the memory.
constexpr size_t kSnapshotLimit = 1024 * 1024;

// The state of a chassis laid out from a snapshot file ("-": standard input); a refusal
// names the file and what is wrong with it.
std::optional<json> snapshot_state(const std::string& file)
{
    const std::string named = file == "-" ? "standard input" : file;
    std::string text;
    const int fd = file == "-" ? 0 : open_file(file, O_RDONLY);
    const bool read = fd >= 0 && read_all(fd, text, kSnapshotLimit);
    const int error = errno;
    if (fd > 0) {
        close(fd);
    }
    if (!read) {
        complain(named + ": cannot read it: " + strerror(error));
        return std::nullopt;
    }
    if (text.size() > kSnapshotLimit) {
        complain(named + ": more than " + std::to_string(kSnapshotLimit) +
                      " bytes; a snapshot is a few kilobytes");
        return std::nullopt;
    }
    json st;
    const std::string wrong = state_from_snapshot(
        text, st, [](json& state, const std::string& key, const std::string& value) {
            apply(state, key, value);
        });
    if (!wrong.empty()) {
        complain(named + ": " + wrong);
        return std::nullopt;
    }
    return st;
}

}  // namespace

Outcome init_command(const std::vector<std::string>& args)
{
    std::string dir;
    // Each option once: a second one would silently take the place of the first.
    std::map<std::string, std::string> given;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string option;
        std::string value;
        for (const char* name : {"--scenario", "--emulator", "--from"}) {
            const size_t length = strlen(name);
            if (arg == name && i + 1 < args.size()) {
                option = name;
                value = args[++i];
            } else if (arg.compare(0, length, name) == 0 && arg.size() > length && arg[length] == '=') {
                option = name;
                value = arg.substr(length + 1);
            }
        }
        if (!option.empty()) {
            if (!given.emplace(option, value).second) {
                return {2, option + " is given twice"};
            }
        } else if (arg.rfind("--", 0) == 0 || !dir.empty()) {
            return {2, "unexpected argument '" + arg + "'"};
        } else {
            dir = arg;
        }
    }
    if (dir.empty()) {
        return {2, "init needs a directory"};
    }
    const auto from = given.find("--from");
    if (from != given.end() && given.count("--scenario") != 0) {
        return {2, "--from and --scenario do not go together"};
    }
    const std::string emulator = given.count("--emulator") != 0 ? given["--emulator"] : "";
    std::string error;
    if (from != given.end()) {
        // Read and checked whole before anything is laid out.
        std::optional<json> st = snapshot_state(from->second);
        if (!st) {
            return {1, {}};
        }
        error = init_chassis_state(dir, std::move(*st), emulator);
    } else {
        const auto scenario = given.find("--scenario");
        error = init_chassis(dir, scenario == given.end() ? "redundant" : scenario->second, emulator);
    }
    if (!error.empty()) {
        complain(error);
        return {1, {}};
    }
    return {};
}

Outcome relink_command(const std::vector<std::string>& args)
{
    if (!args.empty()) {
        return {2, "relink takes no arguments"};
    }
    leave_programs_unchecked();
    root();
    std::string error;
    std::string tool;
    std::string simulator;
    // Under the chassis lock, so that two relinks do not interleave.
    update_state([&](json& st) {
        error = relink_chassis(root(), st.value("emulator", ""), tool, simulator);
        if (error.empty()) {
            journal("relink", {tool, simulator}, 0);
        }
    });
    if (!error.empty()) {
        complain(error);
        return {1, {}};
    }
    return {};
}

}  // namespace sim
