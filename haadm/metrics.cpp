// hasnapshot --prometheus: the metrics of a snapshot, in the Prometheus text exposition
// format, written piece by piece without a format to parse.
#include <cstdio>
#include <cstring>

#include "common/bits.h"
#include "haadm/snapshot.h"

namespace haadm {
namespace {

// A label value as the format wants it: backslash, double quote and newline escaped.
void put_label_value(const char* data, size_t size)
{
    const size_t length = text_length(data, size);
    for (size_t i = 0; i < length; ++i) {
        const char c = data[i];
        if (c == '\\' || c == '"') {
            putchar('\\');
            putchar(c);
        } else if (c == '\n') {
            fputs("\\n", stdout);
        } else {
            putchar(c);
        }
    }
}

// Writes pieces without a format to parse: a run prints some fifty of them.
void put(const char* text) { fputs(text, stdout); }

void put_number(long long value)
{
    char digits[24];
    char* at = digits + sizeof digits;
    *--at = '\0';
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    do {
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        *--at = '-';
    }
    fputs(at, stdout);
}

// One sample: name, an optional label and its value, then the value.
void sample(const char* name, const char* label, const char* label_value, long long value)
{
    put(name);
    if (label != nullptr) {
        put("{");
        put(label);
        put("=\"");
        put_label_value(label_value, strlen(label_value) + 1);
        put("\"}");
    }
    put(" ");
    put_number(value);
    put("\n");
}

void family(const char* name, const char* help)
{
    put("# HELP ");
    put(name);
    put(" ");
    put(help);
    put("\n# TYPE ");
    put(name);
    put(" gauge\n");
}

}  // namespace

void print_metrics(const Snapshot& s, long long taken)
{
    const Verdict& v = s.verdict;
    family("ha_info", "1, with labels naming this CP: its number and its slot (empty when unread).");
    put("ha_info{cp=\"");
    if (s.number_ok) {
        put_number(s.number);
    }
    put("\",slot=\"");
    if (s.slot_ok) {
        put_number(s.slot);
    }
    put("\"} 1\n");
    family("ha_ready", "1 when haready says OK (hafailover would go ahead on the active CP; on the standby, "
                       "the chassis can fail over from its active CP), else 0.");
    sample("ha_ready", nullptr, nullptr, v.status == kReadyOk ? 1 : 0);
    family("ha_ready_status", "The status haready gives: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.");
    sample("ha_ready_status", nullptr, nullptr, v.status);
    family("ha_ready_test_failed", "1 for each of hafailover's tests that fails now, 0 for each that passes; "
                                   "one whose call failed is left out, and the active CP's on the standby.");
    for (int i = 0; i < kTestCount; ++i) {
        const auto test = static_cast<Test>(i);
        if (!was_read(test, s.facts) || (test == Test::active && v.standby)) {
            continue;
        }
        bool failed = false;
        for (int k = 0; k < reason_count(v); ++k) {
            failed = failed || reason_is(v, k, test);
        }
        sample("ha_ready_test_failed", "test", test_name(test), failed ? 1 : 0);
    }
    family("ha_state_bit", "Each named bit of the HA state word as this CP reads it (absent when unread).");
    if (s.state_ok) {
        for (const NamedBit& bit : kNamedBits) {
            sample("ha_state_bit", "bit", bit.label, (static_cast<uint32_t>(s.state) & bit.mask) != 0 ? 1 : 0);
        }
    }
    family("ha_active_cp", "The number of the CP that is active, 0 or 1 (absent when unread).");
    if (s.state_ok && s.number_ok) {
        const bool active = (static_cast<uint32_t>(s.state) & kHaActive) != 0;
        sample("ha_active_cp", nullptr, nullptr, active ? s.number : 1 - s.number);
    }
    family("ha_this_cp", "The number of the CP these metrics were read on, 0 or 1 (absent when unread).");
    if (s.number_ok) {
        sample("ha_this_cp", nullptr, nullptr, s.number);
    }
    family("ha_lock_held", "1 while the HA lock is held, else 0 (absent when unread).");
    if (v.lock_known) {
        sample("ha_lock_held", nullptr, nullptr, v.lock_held ? 1 : 0);
    }
    family("ha_lock_taken_timestamp_seconds", "When the HA lock that is held was taken, in seconds since "
                                              "1970-01-01 UTC (absent when free or unread): its age is time() less this.");
    if (v.lock_held) {
        sample("ha_lock_taken_timestamp_seconds", nullptr, nullptr, static_cast<long long>(s.lock.time));
    }
    family("ha_platform_call_failed", "The result of each platform call that failed, by its name.");
    for (size_t i = 0; i < s.failed.count; ++i) {
        const Failure& f = s.failed.item[i];
        // The snapshot also records a getHAMStat word that is not the state word; only a
        // negative one is a failed call.
        if (strcmp(f.call, "getHAMStat") != 0 || f.result < 0) {
            sample("ha_platform_call_failed", "call", f.call, f.result);
        }
    }
    family("ha_snapshot_timestamp_seconds", "When these metrics were read, in seconds since 1970-01-01 UTC.");
    sample("ha_snapshot_timestamp_seconds", nullptr, nullptr, taken);
}


}  // namespace haadm
