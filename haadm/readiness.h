// Whether the chassis can fail over now: the tests of hafailover, in its order and with
// its words, written once. hafailover refuses through them; haready and hasnapshot
// report them without changing anything (no lock taken, no audit entry, no question).
#pragma once

#include <cstdint>
#include <cstdio>

#include "common/check.h"
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

// Whether a test's input was read at all: a failed call leaves its tests unjudged.
bool was_read(Test test, const ReadinessFacts& facts);

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

// The status words of a monitoring check, and what each means here.
enum ReadyStatus { kReadyOk = 0, kReadyWarning = 1, kReadyCritical = 2, kReadyUnknown = kCheckUnknownStatus };
inline constexpr const char* kReadyStatusWords[] = {"OK", "WARNING", "CRITICAL", "UNKNOWN"};
// A HA lock held this long (seconds) is critical unless a check says otherwise.
inline constexpr long kLockCritical = 600;

// The verdict on what was read: the tests that failed, in hafailover's order (on the
// standby CP all but the active test, which is said apart), the calls that failed, and
// the status of a monitoring check.
struct Verdict {
    int status;       // a ReadyStatus
    bool ready;       // hafailover would go ahead on this CP
    bool standby;     // this CP is the standby
    Test failed[kTestCount];
    int count;
    int main_reason;  // the first failed test of the worst status; -1 when none
    const char* calls[3];
    int results[3];
    int failures;
    bool lock_known;  // ha_checklock answered
    bool lock_held;
    long long lock_age;  // seconds the lock has been held, at now; 0 when free
};

// Judges the facts at the time now, a lock held crit seconds or more being critical.
// Holds that an operator or an upgrade ends (DP upgrade, HA suppressed, the lock) are
// warnings; what leaves the chassis unprotected is critical; a failed call or a
// platform without CP slots leaves the verdict unknown.
void judge(const ReadinessFacts& facts, long long now, long crit, Verdict& verdict);

// The reasons of a verdict, in the order every face gives them: the calls that failed,
// then on the standby CP the active test, then the tests that failed.
int reason_count(const Verdict& verdict);
// The name of reason k: a call's or a test's.
const char* reason_name(const Verdict& verdict, int k);
// Reason k on one line: "CALL failed (RESULT)", or the failover's words.
void put_reason(const Verdict& verdict, int k, FILE* out);
// Whether reason k is that test.
bool reason_is(const Verdict& verdict, int k, Test test);

}  // namespace haadm
