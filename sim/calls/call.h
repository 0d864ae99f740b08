// The one shape of a platform call: it reads the state, or changes it under the chassis
// lock, and is journalled with its arguments and result.
#pragma once

#include <functional>
#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// One platform call: the injected failure when there is one, else body's result;
// journalled with its arguments. A body that changes the state gets a locked, fresh copy
// which is written back atomically before the lock is released.
int read_call(std::string_view name, json args, const std::function<int(const json&)>& body);
int change_call(std::string_view name, json args, const std::function<int(json&)>& body);
// A call without a result (journalled with ret null).
void void_call(std::string_view name, json args);

}  // namespace sim
