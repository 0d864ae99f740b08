// The layout of a chassis directory: the scenarios init lays out, the programs and files
// of a chassis, and relinking them to another build.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// The names of the scenarios, the default first.
const std::vector<std::string>& scenario_names();
// The state of a fresh chassis of the named scenario; null for an unknown name.
json scenario_state(const std::string& name);
// The platform programs of a chassis that chassis-sim stands in for (sim/programs/).
struct Program {
    const char* name;  // the name chassis-sim is started under
    const char* path;  // where the chassis has it
};
inline constexpr Program kPrograms[] = {
    {"fastboot", "tarny/cliexec/fastboot"}, {"ipaddrshow", "tarny/cliexec/ipaddrshow"},
    {"reboot", "tarny/cliexec/reboot"},     {"ping", "bin/ping"},
    {"rsh", "usr/bin/rsh"},
};

// The invocation names under which the tool is installed: the command table's.
const std::vector<std::string>& tool_names();

// Lays out a new chassis in dir; returns an error text, empty on success.
std::string init_chassis(const std::string& dir, const std::string& scenario,
                         const std::string& emulator);
// The same with the state given (a scenario's, or one made from a snapshot).
std::string init_chassis_state(const std::string& dir, json st, const std::string& emulator);

// Links the programs of the chassis in base to the tool and chassis-sim found as init
// finds them, through the chassis's emulator; returns an error text, empty on success.
// tool and simulator are set to the programs linked to.
std::string relink_chassis(const std::string& base, const std::string& emulator, std::string& tool,
                           std::string& simulator);

// A chassis path is pasted into shell command lines: no blanks, no shell metacharacters.
bool is_safe_path(const std::string& dir);
std::string unsafe_path_message(const std::string& dir);

// chassis-sim as a shell word that runs it from anywhere: the one init and relink find
// (CHASSIS_SIM_PROGRAM, else the one beside this program or in its installed tree), for
// advice that must work as printed; "chassis-sim" when there is none.
std::string simulator_command();

}  // namespace sim
