// The chassis that chassis-sim init lays out: the scenarios' states, and the names
// under which the tool is installed (the command table's, generated/lists.inc).
#include <cstdint>
#include <string>
#include <vector>

#include "generated/lists.inc"
#include "platform/ham.h"
#include "sim/store/keys.h"
#include "sim/store/layout.h"

namespace sim {
namespace {

// The session record of a CP that is not there.
json no_session() { return {{"fl", 0}, {"up", 0}, {"ac", 0}, {"sy", 0}, {"ch", 0}, {"rbr", ""}}; }

// The word of a redundant pair, as the standby reads it: the active CP adds ACTIVE.
constexpr uint32_t kRedundantWord =
    kHaRedundant | kHaSynchronized | kHaEnabled | kHaDualCp | kHaStandbyHealthy;

json base_state()
{
    json st = {
        {"slots", {6, 7}},
        {"status",
         {{"local", "Healthy"},
          {"remote", "Healthy"},
          {"summary", "HA enabled, Heartbeat Up, HA State synchronized"}}},
        {"status_set", json::array()},
        {"lock", nullptr},
        {"boots", {0, 0}},
        // Both CPs came up at 1700000000; CP0 has been active since, and in sync since
        // 1700000300. CP1, a standby that was never active, has no session of its own.
        {"hsess",
         {{{"fl", 1},
           {"up", 1700000000},
           {"ac", 1700000000},
           {"sy", 1700000300},
           {"ch", 1700000000},
           {"rbr", ""}},
          {{"fl", 0}, {"up", 1700000000}, {"ac", 0}, {"sy", 0}, {"ch", 1700000000}, {"rbr", ""}}}},
        {"ls", json::object()},
        {"sysattr", json::object()},
        {"peer_version", {9, 2}},
        {"fail", json::object()},
    };
    for (const NumberKey& key : kNumberKeys) {
        st[key.name] = key.fresh;
    }
    for (const TextKey& key : kTextKeys) {
        st[key.name] = key.fresh;
    }
    st["bits"] = kRedundantWord;
    return st;
}

}  // namespace

const std::vector<std::string>& scenario_names()
{
    static const std::vector<std::string> names = {"redundant", "standby", "non-redundant",
                                                   "ha-disabled", "no-slots"};
    return names;
}

json scenario_state(const std::string& name)
{
    json st = base_state();
    if (name == "redundant") {
        return st;
    }
    if (name == "standby") {
        st["this_cp"] = 1;
        return st;
    }
    if (name == "non-redundant") {
        st["bits"] = kRedundantWord & ~(kHaRedundant | kHaSynchronized);
        st["status"]["remote"] = "Not present";
        st["status"]["summary"] = "";
        st["hsess"][1] = no_session();
        return st;
    }
    if (name == "ha-disabled") {
        st["bits"] = kRedundantWord & ~(kHaEnabled | kHaSynchronized);
        return st;
    }
    if (name == "no-slots") {
        st["bits"] = 0;
        st["slots"] = {0, 0};
        st["status"]["remote"] = "Not present";
        st["status"]["summary"] = "";
        st["hsess"][0]["fl"] = 0;
        st["hsess"][1] = no_session();
        return st;
    }
    return nullptr;
}

const std::vector<std::string>& tool_names()
{
    static const std::vector<std::string> names = {HAADM_TOOL_NAMES};
    return names;
}

}  // namespace sim
