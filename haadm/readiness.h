// Whether the chassis can fail over now: the tests of hafailover, in its order and with
// its words, written once. hafailover refuses through them; haready and hasnapshot
// report them without changing anything (no lock taken, no audit entry, no question).
#pragma once

#include <cstdint>
#include <cstdio>

#include "platform/ham.h"

namespace haadm {

// hafailover's tests, in the order it makes them.
enum class Test : uint8_t {
    platform,         // the platform has CP slots
    dp_upgrade,       // no DP upgrade is in progress
    active,           // this CP is the active one
    standby_healthy,  // the standby CP's devices are healthy
    ha_enabled,       // HA is enabled
    not_suppressed,   // HA is not suppressed
    redundant,        // the CPs are redundant
    synchronized,     // the HA state is synchronised
    lock_free,        // the HA lock is free
};
inline constexpr int kTestCount = 9;

// What the tests read, each as the platform call returned it.
struct ReadinessFacts {
    int cp_slot;     // getThisCPSlot() at start-up
    int dp_upgrade;  // esm_is_extnHcl_inprog()
    int flags;       // getHAMStat(): the active and standby-healthy tests
    int state;       // ham_get_state(): the HA tests
    int lock_rc;     // ha_checklock()
    HaLockRecord lock;
};

// Whether the test passes on what was read. A word is tested bit by bit, as hafailover
// tests it; the lock is free when ha_checklock succeeded with no holder.
bool passes(Test test, const ReadinessFacts& facts);

// The bit tests on the word of ham_get_state, in hafailover's order; synchronized is
// skipped when forced. The first that fails, or nothing.
bool first_ha_state_refusal(uint32_t state, bool forced, Test& failed);

// Writes hafailover's own words for a failed test to out, as hafailover writes them
// (lines ending in '\n'); for the platform and standby tests, the words that follow the
// command name. one_line: the lines joined by blanks, without the last newline.
void put_words(Test test, FILE* out, bool one_line = false);

// A short name of the test, for labels and lists ("dp_upgrade", "lock_free", ...).
const char* test_name(Test test);

// Reads the facts through the platform calls the tests make, one call each, in the
// failover's order: esm_is_extnHcl_inprog, getHAMStat, ham_get_state, ha_checklock.
void read_readiness(int cp_slot, ReadinessFacts& facts);

// The platform calls whose failure leaves the verdict unknown, each once: getHAMStat or
// ham_get_state negative, ha_checklock nonzero. Their names in that order, at most 3.
int failed_calls(const ReadinessFacts& facts, const char* names[3], int results[3]);

}  // namespace haadm
