// The platform programs that chassis-sim stands in for, where a chassis has them, and
// how they run.
#pragma once

#include <string>

namespace sim {

struct Program {
    const char* name;  // the name chassis-sim is started under
    const char* path;  // where the chassis has it
};
inline constexpr Program kPrograms[] = {
    {"fastboot", "tarny/cliexec/fastboot"}, {"ipaddrshow", "tarny/cliexec/ipaddrshow"},
    {"reboot", "tarny/cliexec/reboot"},     {"ping", "bin/ping"},
    {"rsh", "usr/bin/rsh"},
};

// Runs the program name (one of kPrograms) with argv as it was started.
int run_program(const std::string& name, int argc, char** argv);

}  // namespace sim
