// The state of the chassis: read (again only when the file changed), and changed under
// the chassis lock.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// The state as it is now (read again only when the file changed).
const json& state();
// The stored text of that state, byte for byte.
const std::string& state_text();

// The CP's clock less the host's, in seconds, as the state last read says:
// 0 but on a copy laid out from a snapshot (its clock_offset), or before the state is read.
long long clock_offset();

// The CP this process runs on: CHASSIS_SIM_CP when set (0 or 1; root() refuses any other
// value), else the state's this_cp.
int this_cp(const json& state);
// From here on this process, and the programs it runs, run on CP cp (CHASSIS_SIM_CP).
void run_on_cp(int cp);

// A process belongs to the boot of its CP that was current at its first platform call; a
// call after that CP's restart ends the process (status 125) without taking effect, as
// the restart would have ended it.
void check_boot(const json& state);

// Runs body on a locked, fresh copy of the state and writes it back atomically. For a
// platform call (see sim/calls/call.h), call names it and entry writes its journal line
// once the new state is written and before it takes effect.
void update_state(const std::function<void(json&)>& body, std::string_view call = {},
                  const std::function<void()>& entry = {});

}  // namespace sim
