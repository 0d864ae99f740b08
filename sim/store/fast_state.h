// A quick reader for the state file as the simulator itself writes it.
#pragma once

#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

// Reads text when it is laid out exactly as the simulator writes a state (one-space
// indent, keys in sorted order, integers, the writer's own string escapes, a final newline)
// and nesting no deeper than the full reader allows: out is then the value the general
// JSON parser would give, and the result is true. For any other text the result is false
// and out is unspecified; the caller then reads the text with the general parser, which
// gives every damaged or hand-edited state its own message.
bool read_own_state(std::string_view text, nlohmann::json& out);

}  // namespace sim
