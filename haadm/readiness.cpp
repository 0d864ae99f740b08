// hafailover's tests and their words, once, for hafailover and for every face that says
// whether the chassis can fail over now.
#include "haadm/readiness.h"

#include <cstring>

#include "haadm/guards.h"
#include "haadm/status.h"
#include "platform/syscon.h"

namespace haadm {
namespace {

// The bit tests on a word: the test, its bit, and whether the bit must be set.
struct BitTest {
    Test test;
    uint32_t mask;
    bool set;
};
// The word of ham_get_state, in hafailover's order.
constexpr BitTest kStateTests[] = {
    {Test::ha_enabled, kHaEnabled, true},
    {Test::not_suppressed, kHaSuppressed, false},
    {Test::redundant, kHaRedundant, true},
    {Test::synchronized, kHaSynchronized, true},
};

bool bit_passes(uint32_t word, uint32_t mask, bool set) { return ((word & mask) != 0) == set; }

// hafailover's refusals that are texts of its own (the others are the guards' words).
const char* own_words(Test test)
{
    switch (test) {
    case Test::dp_upgrade:
        return "DP upgrade is in progress. Command not allowed.\n";
    case Test::standby_healthy:
        return "Warning: This command is being run on a control processor(CP)\n"
               "based system. One or more devices on the standby CP is not healthy.\n"
               "Please fix the error before you do failover.\n";
    case Test::ha_enabled:
        return "haFailover: HA not enabled. Please enable HA first.\n";
    case Test::redundant:
        return "haFailover not allowed: the system is not in redundant mode.\n";
    case Test::synchronized:
        return "haFailover not allowed: HA state is not synchronized.\n";
    case Test::lock_free:
        return "haFailover: can't failover because system is not ready yet or other LS/HA "
               "config is in progress.\n";
    default:
        return "";
    }
}

// Writes text, or with one_line its lines joined by blanks and nothing at its end.
void put_text(const char* text, FILE* out, bool one_line)
{
    if (!one_line) {
        fputs(text, out);
        return;
    }
    size_t length = strlen(text);
    while (length > 0 && text[length - 1] == '\n') {
        --length;
    }
    for (size_t i = 0; i < length; ++i) {
        putc(text[i] == '\n' ? ' ' : text[i], out);
    }
}

}  // namespace

bool passes(Test test, const ReadinessFacts& facts)
{
    const auto flags = static_cast<uint32_t>(facts.flags);
    switch (test) {
    case Test::platform:
        return facts.cp_slot != 0;
    case Test::dp_upgrade:
        return facts.dp_upgrade == 1 || facts.dp_upgrade == 9;
    case Test::active:
        return bit_passes(flags, kHaActive, true);
    case Test::standby_healthy:
        return bit_passes(flags, kHaStandbyHealthy, true);
    case Test::lock_free:
        return facts.lock_rc == 0 && facts.lock.pid == 0;
    default:
        break;
    }
    for (const BitTest& bit : kStateTests) {
        if (bit.test == test) {
            return bit_passes(static_cast<uint32_t>(facts.state), bit.mask, bit.set);
        }
    }
    return false;
}

bool first_ha_state_refusal(uint32_t state, bool forced, Test& failed)
{
    for (const BitTest& bit : kStateTests) {
        if (bit.test == Test::synchronized && forced) {
            continue;
        }
        if (!bit_passes(state, bit.mask, bit.set)) {
            failed = bit.test;
            return true;
        }
    }
    return false;
}

void put_words(Test test, FILE* out, bool one_line)
{
    switch (test) {
    case Test::active:
        // The standby refusal in its fixed-name form: "%s %s \n".
        fprintf(out, one_line ? "%s %s" : "%s %s \n", kStandbyWarning, ": hafailover");
        return;
    case Test::platform:
    case Test::not_suppressed:
        // For suppression hafailover says nothing of its own: its status lines have
        // printed this.
        put_text(test == Test::platform ? kNotSupported : kSuppressedLine, out, one_line);
        if (!one_line) {
            putc('\n', out);
        }
        return;
    default:
        put_text(own_words(test), out, one_line);
    }
}

const char* test_name(Test test)
{
    switch (test) {
    case Test::platform:
        return "platform";
    case Test::dp_upgrade:
        return "dp_upgrade";
    case Test::active:
        return "active";
    case Test::standby_healthy:
        return "standby_healthy";
    case Test::ha_enabled:
        return "ha_enabled";
    case Test::not_suppressed:
        return "not_suppressed";
    case Test::redundant:
        return "redundant";
    case Test::synchronized:
        return "synchronized";
    case Test::lock_free:
        return "lock_free";
    }
    return "";
}

void read_readiness(int cp_slot, ReadinessFacts& facts)
{
    facts.cp_slot = cp_slot;
    facts.dp_upgrade = esm_is_extnHcl_inprog();
    facts.flags = getHAMStat();
    facts.state = ham_get_state();
    facts.lock = HaLockRecord{};
    facts.lock_rc = ha_checklock(&facts.lock);
}

int failed_calls(const ReadinessFacts& facts, const char* names[3], int results[3])
{
    int count = 0;
    const auto add = [&](const char* name, int result) {
        names[count] = name;
        results[count] = result;
        ++count;
    };
    if (facts.flags < 0) {
        add("getHAMStat", facts.flags);
    }
    if (facts.state < 0) {
        add("ham_get_state", facts.state);
    }
    if (facts.lock_rc != 0) {
        add("ha_checklock", facts.lock_rc);
    }
    return count;
}

namespace {

int severity(Test test, long long lock_age, long crit)
{
    switch (test) {
    case Test::platform:
        return kReadyUnknown;  // a chassis with one CP has no failover to judge
    case Test::dp_upgrade:
    case Test::not_suppressed:
        return kReadyWarning;
    case Test::lock_free:
        return lock_age >= crit ? kReadyCritical : kReadyWarning;
    default:
        return kReadyCritical;
    }
}

}  // namespace

// Whether a test's input was read at all: a failed call leaves its tests unjudged.
bool was_read(Test test, const ReadinessFacts& facts)
{
    switch (test) {
    case Test::active:
    case Test::standby_healthy:
        return facts.flags >= 0;
    case Test::ha_enabled:
    case Test::not_suppressed:
    case Test::redundant:
    case Test::synchronized:
        return facts.state >= 0;
    case Test::lock_free:
        return facts.lock_rc == 0;
    default:
        return true;
    }
}

void judge(const ReadinessFacts& facts, long long now, long crit, Verdict& v)
{
    v = Verdict{};
    v.lock_known = facts.lock_rc == 0;
    v.lock_held = v.lock_known && facts.lock.pid != 0;
    // The lock's time is unsigned 32 bits: as wide a number as the clock's, on every CP.
    v.lock_age = v.lock_held ? now - static_cast<long long>(facts.lock.time) : 0;
    v.lock_age = v.lock_age < 0 ? 0 : v.lock_age;
    v.standby = facts.flags >= 0 && !passes(Test::active, facts);
    for (int i = 0; i < kTestCount; ++i) {
        const auto test = static_cast<Test>(i);
        if (test != Test::active && was_read(test, facts) && !passes(test, facts)) {
            v.failed[v.count++] = test;
        }
    }
    v.failures = failed_calls(facts, v.calls, v.results);
    // The worst reason gives the status, and the first of that status is the main one.
    v.status = kReadyOk;
    for (int i = 0; i < v.count; ++i) {
        const int s = severity(v.failed[i], v.lock_age, crit);
        v.status = s > v.status ? s : v.status;
    }
    v.main_reason = -1;
    for (int i = 0; i < v.count && v.main_reason < 0; ++i) {
        v.main_reason = severity(v.failed[i], v.lock_age, crit) == v.status ? i : -1;
    }
    if (v.failures > 0) {
        v.status = kReadyUnknown;  // what was not read cannot be judged
    }
    v.ready = v.status == kReadyOk && !v.standby;
}

int reason_count(const Verdict& v) { return v.failures + (v.standby ? 1 : 0) + v.count; }

namespace {

// Reason k as a test, or false when it is a failed call (index set to the call's).
bool reason_test(const Verdict& v, int k, Test& test, int& call)
{
    if (k < v.failures) {
        call = k;
        return false;
    }
    k -= v.failures;
    test = v.standby && k == 0 ? Test::active : v.failed[k - (v.standby ? 1 : 0)];
    return true;
}

}  // namespace

const char* reason_name(const Verdict& v, int k)
{
    Test test{};
    int call = 0;
    return reason_test(v, k, test, call) ? test_name(test) : v.calls[call];
}

void put_reason(const Verdict& v, int k, FILE* out)
{
    Test test{};
    int call = 0;
    if (reason_test(v, k, test, call)) {
        put_words(test, out, true);
    } else {
        fprintf(out, "%s failed (%d)", v.calls[call], v.results[call]);
    }
}

bool reason_is(const Verdict& v, int k, Test test)
{
    Test is{};
    int call = 0;
    return reason_test(v, k, is, call) && is == test;
}

}  // namespace haadm
