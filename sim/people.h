// chassis-sim's commands for people and scripts: the drawing of the chassis, the
// journal with filters, and the restart of a CP.
#pragma once

#include <string>
#include <vector>

namespace sim {

// The outcome of a command whose arguments may be refused: a refusal carries the reason,
// which the caller prints with the usage.
struct Outcome {
    int status = 0;
    std::string refusal;
};

// chassis-sim show [--json]
Outcome show_command(const std::vector<std::string>& args);

// chassis-sim journal [--call NAME]... [--pid N] [--cp N] [--last N] [--json] | --clear
Outcome journal_command(const std::vector<std::string>& args);

// chassis-sim restart CP
Outcome restart_command(const std::vector<std::string>& args);

}  // namespace sim
