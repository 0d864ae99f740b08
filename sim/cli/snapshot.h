// A chassis laid out from what hasnapshot printed on a CP.
#pragma once

#include <functional>
#include <string>

#include <nlohmann/json.hpp>

namespace sim {

// The state of a chassis whose read-only commands answer as the snapshot text says, or
// what is wrong with the text (empty when nothing). set_text sets one status.* text as
// chassis-sim set does.
std::string state_from_snapshot(
    const std::string& text, nlohmann::json& st,
    const std::function<void(nlohmann::json&, const std::string&, const std::string&)>& set_text);

}  // namespace sim
