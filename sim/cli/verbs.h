// chassis-sim's verbs, each of one shape: it takes the words after the verb and gives an
// outcome; a refusal of its words is printed with the usage (sim/cli/main.cpp).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// The outcome of a verb: its exit status, or a refusal of its words, which the caller
// prints with the usage (status 2).
struct Outcome {
    int status = 0;
    std::string refusal;
};
using Verb = Outcome (*)(const std::vector<std::string>& args);

// chassis-sim init DIR [--scenario NAME | --from FILE|-] [--emulator 'COMMAND ...']
Outcome init_command(const std::vector<std::string>& args);
// chassis-sim set KEY=VALUE ...
Outcome set_command(const std::vector<std::string>& args);
// chassis-sim fail CALL=RESULT ... | --clear
Outcome fail_command(const std::vector<std::string>& args);
// chassis-sim show [--json]
Outcome show_command(const std::vector<std::string>& args);
// chassis-sim journal [--call NAME]... [--pid N] [--cp N] [--last N] [--json] | --clear
Outcome journal_command(const std::vector<std::string>& args);
// chassis-sim restart CP
Outcome restart_command(const std::vector<std::string>& args);
// chassis-sim relink
Outcome relink_command(const std::vector<std::string>& args);

// A value set refused, and why.
struct BadValue {
    std::string why;
};
// Applies KEY=VALUE to the state as chassis-sim set does; throws BadValue for a bad
// value, returns false for an unknown key.
bool apply(json& st, const std::string& key, const std::string& value);

}  // namespace sim
