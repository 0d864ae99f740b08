// The journal of platform calls: one JSON line a call, and its one human rendering.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// Appends one entry to the journal, under the chassis lock; a journal that cannot grow
// ends the process (status 125) with the entry taken back.
void journal(std::string_view name, const json& args, const json& ret);
// The same, for a call that has read the state already: no second look at it.
void journal(const json& state, std::string_view name, const json& args, const json& ret);
// The same, as a call made on CP cp.
void journal_as(int cp, std::string_view name, const json& args, const json& ret);

// An entry as one line for people: CALL(ARG, ...) = RET, every text through printable().
std::string human_line(const json& entry);

}  // namespace sim
