// The rules of the HA state word: what each CP reads, the status texts, a takeover, and
// a CP that goes down and comes back up.
#include "sim/store/ha_rules.h"

#include <climits>
#include <cstdio>
#include <ctime>
#include <string>

#include "common/bits.h"
#include "platform/ham.h"
#include "platform/hasm.h"
#include "sim/store/journal.h"
#include "sim/store/state.h"

namespace sim {

uint32_t state_word(const json& st, int cp)
{
    uint32_t word = st.value("bits", 0u);
    if (st.value("active_cp", 0) == cp) {
        word |= kHaActive;
    }
    return word;
}

json bit_names(uint32_t word)
{
    json names = json::array();
    for (int b = 0; b < 32; ++b) {
        const uint32_t mask = 1u << b;
        if ((word & mask) == 0) {
            continue;
        }
        const char* name = nullptr;
        for (const haadm::NamedBit& bit : haadm::kNamedBits) {
            name = bit.mask == mask ? bit.name : name;
        }
        if (name != nullptr) {
            names.push_back(name);
        } else {
            char hex[16];
            snprintf(hex, sizeof hex, "0x%08x", static_cast<unsigned>(mask));
            names.push_back(hex);
        }
    }
    return names;
}

bool redundant_pair(uint32_t bits) { return (bits & kHaRedundantPair) == kHaRedundantPair; }

bool restarting(const json& st, int cp)
{
    const auto down = st.find("restarting");
    return down != st.end() && (*down)[static_cast<size_t>(cp)].get<bool>();
}

namespace {

void set_restarting(json& st, int cp, bool down)
{
    json& pair = st["restarting"];
    if (!pair.is_array()) {
        pair = {false, false};
    }
    pair[static_cast<size_t>(cp)] = down;
}

}  // namespace

json status_texts(const json& st)
{
    const uint32_t bits = st.value("bits", 0u);
    const bool redundant = redundant_pair(bits);
    const int here = this_cp(st);
    const bool this_active = st.value("active_cp", 0) == here;
    const bool peer_down = restarting(st, 1 - here);
    const char* health_of_standby = (bits & kHaStandbyHealthy) != 0 ? "Healthy" : "Unhealthy";
    json texts;
    texts["local"] = restarting(st, here)            ? "Restarting"
                     : this_active || !redundant    ? "Healthy"
                                                    : health_of_standby;
    if (!redundant) {
        // A peer that a command took down reads as restarting, in a pair or not.
        texts["remote"] = peer_down ? "Restarting" : "Not present";
        texts["summary"] = "";
    } else {
        texts["remote"] = peer_down ? "Restarting" : this_active ? health_of_standby : "Healthy";
        texts["summary"] = std::string((bits & kHaEnabled) != 0 ? "HA enabled" : "HA disabled") +
                           (peer_down || restarting(st, here) ? ", Heartbeat Down, " : ", Heartbeat Up, ") +
                           ((bits & kHaSynchronized) != 0 ? "HA State synchronized" : "HA State not in sync");
    }
    const json& status = st.contains("status") ? st["status"] : json::object();
    const json all = {"local", "remote", "summary"};
    const json& set = st.contains("status_set") ? st["status_set"] : all;
    for (const auto& key : set) {
        texts[key.get<std::string>()] = status.value(key.get<std::string>(), "");
    }
    return texts;
}

void take_over(json& st)
{
    const int old_active = st.value("active_cp", 0);
    const int new_active = 1 - old_active;
    const auto now = static_cast<uint32_t>(time(nullptr));
    json& previous = st["hsess"][old_active];
    json& current = st["hsess"][new_active];
    previous["fl"] = previous.value("fl", 0) | kSessionExpectedRecovered;
    current["fl"] = 1;
    current["sy"] = now;
    current["ac"] = now;
    // The chassis has been up since it came up, whichever CP is active.
    current["ch"] = previous.value("ch", 0u);
    st["active_cp"] = new_active;
    st["bits"] = st.value("bits", 0u) & ~kHaSynchronized;
}

void free_lock_of(json& st, int cp, std::string_view who)
{
    if (st["lock"].is_null() || st["lock"].value("cp", 0) != cp) {
        return;
    }
    const json holder = st["lock"].value("pid", 0LL);
    st["lock"] = nullptr;
    if (!who.empty()) {
        journal(st, who, {cp, "lock freed", holder}, 0);
    }
}

void go_down(json& st, int cp, std::string_view who)
{
    set_restarting(st, cp, true);
    free_lock_of(st, cp, who);
    const int other = 1 - cp;
    if (st.value("active_cp", 0) == cp && redundant_pair(st.value("bits", 0u)) && !restarting(st, other)) {
        take_over(st);
        if (!who.empty()) {
            journal(st, who, {cp, "CP" + std::to_string(other) + " took over"}, 0);
        }
    }
    uint32_t bits = st.value("bits", 0u) & ~kHaSynchronized;
    if (st.value("active_cp", 0) != cp) {
        bits &= ~kHaStandbyHealthy;
    }
    st["bits"] = bits;
}

void chassis_goes_down(json& st)
{
    // Nothing takes over, the HA lock of either CP is gone, both sessions end, and the
    // pair is neither in sync nor with a healthy standby until both are up again.
    set_restarting(st, 0, true);
    set_restarting(st, 1, true);
    st["lock"] = nullptr;
    st["hsess"][0]["fl"] = 0;
    st["hsess"][1]["fl"] = 0;
    st["bits"] = st.value("bits", 0u) & ~(kHaSynchronized | kHaStandbyHealthy);
}

void come_up(json& st, int cp)
{
    // The processes that began before this restart are gone with it.
    json& boots = st["boots"];
    if (boots.is_null()) {
        boots = {0, 0};
    }
    boots[cp] = boots[cp].get<long long>() == INT32_MAX ? 1 : boots[cp].get<long long>() + 1;
    journal(st, "restart", {cp, "boot", boots[cp]}, 0);
    // Also a lock set by hand while the CP was down.
    free_lock_of(st, cp, "restart");
    if (!restarting(st, cp)) {
        go_down(st, cp, "restart");
    }
    set_restarting(st, cp, false);
    const auto now = static_cast<uint32_t>(time(nullptr));
    json& session = st["hsess"][cp];
    session["up"] = now;
    const bool up_as_standby = st.value("active_cp", 0) != cp && !restarting(st, 1 - cp);
    if (up_as_standby) {
        st["bits"] = st.value("bits", 0u) | kHaStandbyHealthy;
    } else {
        // Active again, or in place of a peer that is down too: a new active session,
        // on a chassis that has been up since now.
        st["active_cp"] = cp;
        session["fl"] = 1;
        session["ac"] = now;
        session["sy"] = now;
        session["ch"] = now;
    }
    journal(st, "restart", {cp, up_as_standby ? "up as standby" : "up as active"}, 0);
}

int new_switch_number(json& st)
{
    const json& switches = st["ls"];
    int sw = st.value("next_ls", 1);
    for (int tries = 0; tries < INT_MAX; ++tries) {
        if (!switches.contains(std::to_string(sw))) {
            break;
        }
        sw = sw == INT_MAX ? 1 : sw + 1;
    }
    st["next_ls"] = sw == INT_MAX ? 1 : sw + 1;
    return sw;
}

}  // namespace sim
