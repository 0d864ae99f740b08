// The chassis that chassis-sim init can lay out.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace sim {

// The names of the scenarios, the default first.
const std::vector<std::string>& scenario_names();

// The state of a fresh chassis of the named scenario; null for an unknown name.
nlohmann::json scenario_state(const std::string& name);

// The invocation names under which the tool is installed.
const std::vector<std::string>& tool_names();

}  // namespace sim
