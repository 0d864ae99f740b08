// The state of the chassis, and the one shape of a platform call: it reads the state, or
// changes it under the chassis lock, and is journalled with its arguments and result.
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
// What is wrong with the state file, empty if it reads and has the simulator's shape.
std::string state_damage();

// The CP this process runs on: CHASSIS_SIM_CP when set (0 or 1; root() refuses any other
// value), else the state's this_cp.
int this_cp(const json& state);
// From here on this process, and the programs it runs, run on CP cp (CHASSIS_SIM_CP).
void run_on_cp(int cp);

// A process belongs to the boot of its CP that was current at its first platform call; a
// call after that CP's restart ends the process (status 125) without taking effect, as
// the restart would have ended it.
void check_boot(const json& state);

// One platform call: the injected failure when there is one, else body's result;
// journalled with its arguments. A body that changes the state gets a locked, fresh copy
// which is written back atomically before the lock is released.
int read_call(std::string_view name, json args, const std::function<int(const json&)>& body);
int change_call(std::string_view name, json args, const std::function<int(json&)>& body);
// A call without a result (journalled with ret null).
void void_call(std::string_view name, json args);

// Runs body on a locked, fresh copy of the state and writes it back; for chassis-sim.
void update_state(const std::function<void(json&)>& body);

}  // namespace sim
