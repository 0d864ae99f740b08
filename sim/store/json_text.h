// The JSON text of a value as the simulator writes it.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// JSON text of a value. Texts the tool passes are bytes, not always UTF-8: a text that is
// not UTF-8 is written as {"bytes":"HEX"} (see stored), so that no byte is lost.
std::string to_text(const json& value, int indent = -1);

// Appends the compact JSON text of a value that holds only UTF-8 texts, byte for byte as
// the JSON writer makes it (sorted keys, the same escapes); false for a value holding a
// floating-point number, which the writer must make.
bool append_compact(const json& value, std::string& out);

}  // namespace sim
