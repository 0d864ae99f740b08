// Every rule about the HA state word and what follows from it, in one place: the names
// of its bits, the word each CP reads, the status texts get_ha_status fills, a takeover,
// and what a CP that goes down or comes back up does to the chassis. The platform calls,
// the simulated programs and chassis-sim's verbs all change the chassis through these.
#pragma once

#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// The HA state word as seen from CP cp: the stored bits, with ACTIVE on the active CP.
uint32_t state_word(const json& st, int cp);

// The names of the bits set in word, as hasnapshot lists them: a named bit by its name,
// any other as 0x%08x.
json bit_names(uint32_t word);

// Whether the word says a pair of CPs: REDUNDANT and DUAL_CP.
bool redundant_pair(uint32_t bits);

// Whether CP cp is down: a command rebooted it and chassis-sim restart has not brought it
// up yet.
bool restarting(const json& st, int cp);

// The three status texts get_ha_status fills for the CP the commands run on (this_cp()):
// each follows the state word unless a person set it (its key is in the state's
// status_set; a state without status_set has all three set, as every state had before
// the texts followed).
json status_texts(const json& st);

// The standby of a redundant pair becomes active: a new session begins there, the old
// one ends as expected, and the pair is no longer synchronized.
void take_over(json& st);

// The HA lock is freed when a process of CP cp holds it: that CP went down. Journalled as
// the step (cp, "lock freed", PID) of who when who is not empty.
void free_lock_of(json& st, int cp, std::string_view who);

// CP cp goes down (a reboot, a fast boot, a reset from its peer): its lock is freed, the
// peer takes over when cp was the active CP of a redundant pair whose peer is up, the
// pair is no longer synchronized, and a standby that is down is not healthy. The steps
// are journalled as calls of who when who is not empty.
void go_down(json& st, int cp, std::string_view who);

// Both CPs go down at once (a chassis reboot): the lock is freed, nothing takes over, both
// sessions end, and the word loses SYNCHRONIZED and the healthy standby.
void chassis_goes_down(json& st);

// CP cp comes back up (chassis-sim restart), down before or not: a CP not down goes down
// first; then it begins a new boot, as the standby when the other CP is up and active
// (a healthy standby, not yet synchronized), else as the active CP with a new session.
// Journalled as restart steps.
void come_up(json& st, int cp);

// The number of a new logical switch: the first from next_ls on that is not in use
// (wrapping after INT_MAX to 1); next_ls moves past it.
int new_switch_number(json& st);

}  // namespace sim
