// The platform programs that chassis-sim stands in for (the list is the layout's,
// kPrograms), and how they run.
#pragma once

#include <string>

#include "sim/store/layout.h"

namespace sim {

// Runs the program name (one of kPrograms) with argv as it was started.
int run_program(const std::string& name, int argc, char** argv);

}  // namespace sim
