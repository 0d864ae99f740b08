// The shape of a stored state, checked once when it is read, and the way texts that are
// not UTF-8 are kept in it ({"bytes":"HEX"}).
#pragma once

#include <exception>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// The value as it is written: every string that is not UTF-8 becomes {"bytes":"HEX"},
// its bytes in lowercase hex.
json stored(const json& value);
// Whether value holds a text that stored() would change.
bool needs_storing(const json& value);
// A number as people give one (chassis-sim set and fail, CHASSIS_SIM_CLOCK): decimal or
// 0x-hex, with an optional leading minus and nothing else; none for anything else.
std::optional<long long> parse_number(const std::string& text);
// The JSON text of a value as the simulator writes it: through stored(), keys sorted.
std::string to_text(const json& value, int indent = -1);

// What is wrong with the nesting of a JSON text (too deep to walk safely); empty if fine.
std::string check_nesting(const std::string& text);

// Where a failed parse of a JSON text stopped, by line and column: the parser's own
// message quotes raw bytes.
std::string parse_failure(const std::exception& error);

// The readers of a document (a state, a snapshot) stop at the first thing found wrong:
// where it is (a key's path, empty for the whole) and what is wrong there.
struct Wrong {
    std::string where;
    std::string what;
};
[[noreturn]] void wrong(const std::string& where, const std::string& what);
// WHERE.KEY, or KEY at the top.
std::string join(const std::string& where, const std::string& key);
// The member KEY of object; "WHERE.KEY is missing" when it is not there.
const json& member(const json& object, const std::string& where, const std::string& key);
json& member(json& object, const std::string& where, const std::string& key);
// value as an integer from low to high; "WHERE is not an integer from LOW to HIGH" otherwise.
long long integer_value(const json& value, const std::string& where, long long low, long long high);
// The bytes of a text: a string, or {"bytes":"HEX"} for one that is not UTF-8; false, and
// why in words, for anything else.
bool text_bytes(const json& value, std::string& bytes, std::string& why);

// What is wrong with the shape of a parsed state (a key missing, of the wrong type or out
// of range), empty if nothing; texts stored as {"bytes":"HEX"} are made bytes again.
std::string check_state(json& state);

}  // namespace sim
