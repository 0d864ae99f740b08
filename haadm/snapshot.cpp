// hasnapshot: the HA state of this CP as one JSON object, for monitoring and for laying
// out a simulated chassis that answers as this one does. It makes only the calls that
// the read-only commands make, and records a call that fails instead of guessing.

#include <cstdio>
#include <cstring>
#include <ctime>

#include "common/bits.h"
#include "common/utf8.h"
#include "haadm/commands.h"
#include "haadm/snapshot.h"
#include "haadm/readiness.h"
#include "platform/ham.h"
#include "platform/hasm.h"
#include "platform/syscon.h"

namespace haadm {
namespace {

constexpr const char* kUsage = "Usage: hasnapshot [--prometheus]";
constexpr int kFormat = 2;

// Static: the records are large for a small CP's stack, and one run takes one.
Snapshot g_snapshot;

// metrics: only what the metrics show (the model numbers and the peer's address are not).
// Each call once, in the order the read-only commands make them; a failure is recorded.
int read_int(int value, const char* name, bool (*ok)(int), Failures& failed)
{
    if (!ok(value)) {
        failed.add(name, value);
    }
    return value;
}

bool non_negative(int value) { return value >= 0; }
bool cp_number(int value) { return value == 0 || value == 1; }

// One CP's session record; false (and the failure recorded) when it could not be read.
bool read_session(int which, const char* name, HaSession& record, Failures& failed)
{
    record = HaSession{};
    const int rc = has_get_hsess(which, &record);
    if (rc != 0) {
        failed.add(name, rc);
    }
    return rc == 0;
}

// A text a call fills into a zeroed buffer, ended within it; false (and the failure
// recorded) when the call failed.
bool read_text(int (*call)(char*), const char* name, char* buffer, size_t size, Failures& failed)
{
    memset(buffer, 0, size);
    const int rc = call(buffer);
    buffer[size - 1] = '\0';
    if (rc != 0) {
        failed.add(name, rc);
    }
    return rc == 0;
}

// What the document holds besides what the metrics hold, read between them.
void read_cp_identity(Snapshot& s)
{
    s.slot = read_int(getThisCPSlot(), "getThisCPSlot", non_negative, s.failed);
    s.slot_ok = s.slot >= 0;
}

// metrics: only what the metrics show (no slots, texts, sessions, reason, models or
// peer address), so that a scrape makes as few calls as it can.
void read_snapshot(Snapshot& s, int cp_slot, long long taken, bool metrics)
{
    s.failed.count = 0;
    s.state = ham_get_state();
    s.state_ok = s.state >= 0;
    if (!s.state_ok) {
        s.failed.add("ham_get_state", s.state);
    }
    // The flag line and the co-CPU report read the word again, without a failure test:
    // an answer that is not the word above is recorded as it came.
    const int flags = getHAMStat();
    s.flags = flags;
    if (!s.state_ok || flags != s.state) {
        s.failed.add("getHAMStat", flags);
    }
    if (!metrics) {
        read_cp_identity(s);
    } else {
        s.slot = cp_slot;  // as start-up read it: one call fewer
        s.slot_ok = cp_slot >= 0;
    }
    s.number = read_int(getThisCPNum(), "getThisCPNum", cp_number, s.failed);
    s.number_ok = cp_number(s.number);
    int rc = 0;
    if (!metrics) {
        s.peer = read_int(getPeerCPSlot(), "getPeerCPSlot", non_negative, s.failed);
        s.peer_ok = s.peer >= 0;
        s.cocpu = cocpu_present() != 0;
        // The texts go with a state word; without one there is none to ask about.
        memset(&s.status, 0, sizeof s.status);
        if (s.state_ok) {
            rc = get_ha_status(s.state, &s.status);
            s.status_ok = rc == 0;
            if (!s.status_ok) {
                s.failed.add("get_ha_status", rc);
            }
        }
        s.local_ok = read_session(kSessionLocal, "has_get_hsess(1)", s.local, s.failed);
        s.remote_ok = read_session(kSessionRemote, "has_get_hsess(0)", s.remote, s.failed);
    }
    s.lock = HaLockRecord{};
    rc = ha_checklock(&s.lock);
    s.lock_rc = rc;
    s.lock_ok = rc == 0;
    if (!s.lock_ok) {
        s.failed.add("ha_checklock", rc);
    }
    if (!metrics) {
        s.reason_ok = read_text(ham_get_rb_reason, "ham_get_rb_reason", s.reason, sizeof s.reason, s.failed);
    }
    s.dp_upgrade = esm_is_extnHcl_inprog();
    if (!metrics) {
        s.model = sysconModel();
        s.board = sysconHwBoardModel();
        s.peer_ip_ok = read_text(get_peer_ip_str, "get_peer_ip_str", s.peer_ip, sizeof s.peer_ip, s.failed);
    }
    // The failover's tests on what was read above: no call is made twice.
    s.facts = ReadinessFacts{cp_slot, s.dp_upgrade, flags, s.state, s.lock_rc, s.lock};
    judge(s.facts, taken, kLockCritical, s.verdict);
}


// ---- the JSON writer -------------------------------------------------------------------

void put_text(const char* data, size_t size)
{
    const size_t length = text_length(data, size);
    if (!is_utf8(data, length)) {
        static const char kDigits[] = "0123456789abcdef";
        fputs("{\"bytes\": \"", stdout);
        for (size_t i = 0; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(data[i]);
            putchar(kDigits[byte >> 4]);
            putchar(kDigits[byte & 0xF]);
        }
        fputs("\"}", stdout);
        return;
    }
    putchar('"');
    for (size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c == '"' || c == '\\') {
            putchar('\\');
            putchar(c);
        } else if (c == '\n') {
            fputs("\\n", stdout);
        } else if (c == '\t') {
            fputs("\\t", stdout);
        } else if (c == '\r') {
            fputs("\\r", stdout);
        } else if (c < 0x20 || c == 0x7F) {
            printf("\\u%04x", c);
        } else {
            putchar(c);
        }
    }
    putchar('"');
}

void put_key(const char* key, bool first = false)
{
    printf("%s\"%s\": ", first ? "" : ", ", key);
}

void put_line_key(const char* key, bool first = false)
{
    printf("%s\n  \"%s\": ", first ? "" : ",", key);
}

void put_int(bool ok, long long value)
{
    if (ok) {
        printf("%lld", value);
    } else {
        fputs("null", stdout);
    }
}

void put_bits(uint32_t word)
{
    putchar('[');
    bool first = true;
    uint32_t named = 0;
    for (const NamedBit& bit : kNamedBits) {
        named |= bit.mask;
    }
    for (int b = 0; b < 32; ++b) {
        const uint32_t mask = 1u << b;
        if ((word & mask) == 0) {
            continue;
        }
        fputs(first ? "" : ", ", stdout);
        first = false;
        if ((named & mask) == 0) {
            printf("\"0x%08x\"", static_cast<unsigned>(mask));
            continue;
        }
        for (const NamedBit& bit : kNamedBits) {
            if (bit.mask == mask) {
                printf("\"%s\"", bit.name);
            }
        }
    }
    putchar(']');
}

void put_session(bool ok, const HaSession& s)
{
    if (!ok) {
        fputs("null", stdout);
        return;
    }
    printf("{\"fl\": %d, \"up\": %lu, \"ac\": %lu, \"sy\": %lu, \"ch\": %lu, \"rbr\": ",
           static_cast<int>(s.fl), static_cast<unsigned long>(s.up),
           static_cast<unsigned long>(s.ac), static_cast<unsigned long>(s.sy),
           static_cast<unsigned long>(s.ch));
    put_text(s.rbr, sizeof s.rbr);
    putchar('}');
}

void put_lock(bool ok, const HaLockRecord& lock)
{
    if (!ok) {
        fputs("null", stdout);
    } else if (lock.pid == 0) {
        fputs("{\"held\": false}", stdout);
    } else {
        printf("{\"held\": true, \"pid\": %d, \"trans\": %d, \"time\": %lu, \"cmd\": ",
               static_cast<int>(lock.pid), static_cast<int>(lock.trans),
               static_cast<unsigned long>(lock.time));
        put_text(lock.cmd, sizeof lock.cmd);
        putchar('}');
    }
}

void print_snapshot(const Snapshot& s, long long taken)
{
    putchar('{');
    put_line_key("format", true);
    printf("%d", kFormat);
    put_line_key("taken");
    printf("%lld", taken);
    put_line_key("state");
    put_int(s.state_ok, s.state);
    put_line_key("bits");
    if (s.state_ok) {
        put_bits(static_cast<uint32_t>(s.state));
    } else {
        fputs("null", stdout);
    }
    put_line_key("cp");
    putchar('{');
    put_key("slot", true);
    put_int(s.slot_ok, s.slot);
    put_key("number");
    put_int(s.number_ok, s.number);
    put_key("peer_slot");
    put_int(s.peer_ok, s.peer);
    put_key("co_cpu");
    fputs(s.cocpu ? "true" : "false", stdout);
    putchar('}');
    put_line_key("status");
    if (s.status_ok) {
        putchar('{');
        put_key("local", true);
        put_text(s.status.local, sizeof s.status.local);
        put_key("remote");
        put_text(s.status.remote, sizeof s.status.remote);
        put_key("summary");
        put_text(s.status.summary, sizeof s.status.summary);
        putchar('}');
    } else {
        fputs("null", stdout);
    }
    put_line_key("sessions");
    fputs("{\n    \"local\": ", stdout);
    put_session(s.local_ok, s.local);
    fputs(",\n    \"remote\": ", stdout);
    put_session(s.remote_ok, s.remote);
    fputs("\n  }", stdout);
    put_line_key("lock");
    put_lock(s.lock_ok, s.lock);
    put_line_key("last_reboot_reason");
    if (s.reason_ok) {
        put_text(s.reason, sizeof s.reason);
    } else {
        fputs("null", stdout);
    }
    put_line_key("failed");
    putchar('{');
    for (size_t i = 0; i < s.failed.count; ++i) {
        put_key(s.failed.item[i].call, i == 0);
        printf("%d", s.failed.item[i].result);
    }
    putchar('}');
    put_line_key("platform");
    printf("{\"dp_upgrade\": %d, \"model\": %d, \"board\": %d, \"peer_ip\": ", s.dp_upgrade, s.model, s.board);
    if (s.peer_ip_ok) {
        put_text(s.peer_ip, sizeof s.peer_ip);
    } else {
        fputs("null", stdout);
    }
    putchar('}');
    // The verdict: ok when hafailover would go ahead on this CP; each reason with the
    // failover's words, in its order.
    const Verdict& v = s.verdict;
    put_line_key("ready");
    printf("{\"ok\": %s, \"status\": \"%s\", \"reasons\": [", v.ready ? "true" : "false",
           kReadyStatusWords[v.status]);
    for (int k = 0; k < reason_count(v); ++k) {
        printf("%s\n    {\"test\": \"%s\", \"words\": \"", k == 0 ? "" : ",", reason_name(v, k));
        put_reason(v, k, stdout);
        fputs("\"}", stdout);
    }
    fputs(reason_count(v) == 0 ? "]}" : "\n  ]}", stdout);
    fputs("\n}\n", stdout);
}

}  // namespace

size_t text_length(const char* data, size_t size)
{
    const void* nul = memchr(data, '\0', size);
    return nul == nullptr ? size : static_cast<size_t>(static_cast<const char*>(nul) - data);
}

Outcome cmd_hasnapshot(Run& run)
{
    const bool prometheus = run.argc == 2 && strcmp(run.argv[1], "--prometheus") == 0;
    if (run.argc > 1 && !prometheus) {
        puts(kUsage);
        return leave(0);
    }
    const time_t taken = time(nullptr);
    read_snapshot(g_snapshot, run.cp_slot, static_cast<long long>(taken), prometheus);
    if (prometheus) {
        print_metrics(g_snapshot, static_cast<long long>(taken));
    } else {
        print_snapshot(g_snapshot, static_cast<long long>(taken));
    }
    return leave(0);
}

}  // namespace haadm
