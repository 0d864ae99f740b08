// A chassis laid out from what hasnapshot printed on a CP: every read-only command of the
// tool answers on it as it did there. Values the snapshot holds go into the state; a call
// that failed on the CP fails the same way here, through the injected results.
#include "sim/cli/snapshot.h"

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "sim/store/ha_rules.h"
#include "sim/store/layout.h"
#include "sim/store/shape.h"

namespace sim {
namespace {

const json& object_at(const json& object, const std::string& where, const std::string& key,
                      bool nullable = false)
{
    const json& value = member(object, where, key);
    if (!value.is_object() && !(nullable && value.is_null())) {
        wrong(join(where, key), nullable ? "is neither an object nor null" : "is not an object");
    }
    return value;
}

// An integer, or null for a value whose call failed.
json integer_or_null(const json& object, const std::string& where, const std::string& key,
                     long long low, long long high)
{
    const json& value = member(object, where, key);
    if (value.is_null()) {
        return nullptr;
    }
    return integer_value(value, join(where, key), low, high);
}

long long integer(const json& object, const std::string& where, const std::string& key,
                  long long low, long long high)
{
    return integer_value(member(object, where, key), join(where, key), low, high);
}

// A text: a string, or {"bytes":"HEX"} for one that is not UTF-8. At most max bytes, as
// the platform's field holds them, and no NUL, which would end it early on the CP.
std::string text_value(const json& value, const std::string& where, size_t max)
{
    std::string bytes;
    std::string why;
    if (!text_bytes(value, bytes, why)) {
        wrong(where, why);
    }
    if (bytes.size() > max) {
        wrong(where, "is longer than " + std::to_string(max) + " bytes");
    }
    if (bytes.find('\0') != std::string::npos) {
        wrong(where, "holds a NUL byte");
    }
    return bytes;
}

std::string text(const json& object, const std::string& where, const std::string& key, size_t max)
{
    return text_value(member(object, where, key), join(where, key), max);
}

bool boolean(const json& object, const std::string& where, const std::string& key)
{
    const json& value = member(object, where, key);
    if (!value.is_boolean()) {
        wrong(join(where, key), "is not true or false");
    }
    return value.get<bool>();
}

json session(const json& value, const std::string& where)
{
    if (value.is_null()) {
        return nullptr;
    }
    if (!value.is_object()) {
        wrong(where, "is neither an object nor null");
    }
    json record = {{"fl", integer(value, where, "fl", INT32_MIN, INT32_MAX)}};
    for (const char* key : {"up", "ac", "sy", "ch"}) {
        record[key] = integer(value, where, key, 0, UINT32_MAX);
    }
    record["rbr"] = text(value, where, "rbr", 27);
    return record;
}

// The calls whose failure a snapshot records, and which results count as failures (the
// ones hasnapshot records); getHAMStat is recorded whenever its word is not the state.
bool failing(const std::string& call, long long result)
{
    if (call == "ham_get_state" || call == "getThisCPSlot" || call == "getPeerCPSlot") {
        return result < 0;
    }
    if (call == "getThisCPNum") {
        return result != 0 && result != 1;
    }
    if (call == "getHAMStat") {
        return true;
    }
    if (call == "get_ha_status" || call == "has_get_hsess(1)" || call == "has_get_hsess(0)" ||
        call == "ha_checklock" || call == "ham_get_rb_reason" || call == "get_peer_ip_str") {
        return result != 0;
    }
    wrong("failed." + call, "is not a call that hasnapshot makes");
}

// A value is null exactly when the call that gives it is among the failed ones.
void null_with_failure(bool is_null, const json& failed, const std::string& key,
                       const std::string& call)
{
    const bool listed = failed.contains(call);
    if (is_null && !listed) {
        wrong(key, "is null, but \"failed\" has no " + call);
    }
    if (!is_null && listed) {
        wrong("failed." + call, "is there, but \"" + key + "\" is not null");
    }
}

json build(const json& snap, const std::function<void(json&, const std::string&, const std::string&)>& set_text)
{
    if (!snap.is_object()) {
        wrong("", "the top level is not an object");
    }
    const std::string top;
    const json& format = member(snap, top, "format");
    if (!format.is_number_integer()) {
        wrong("format", "is not an integer");
    }
    const int64_t version = format.get<int64_t>();
    if (version != 1 && version != 2) {
        wrong("", "format " + format.dump() + " is not known (known: 1, 2)");
    }
    const long long taken = integer(snap, top, "taken", 0, INT64_MAX);

    const json state = integer_or_null(snap, top, "state", 0, INT32_MAX);
    const json& bits = member(snap, top, "bits");
    if (state.is_null() ? !bits.is_null() : bits != bit_names(state.get<uint32_t>())) {
        wrong("bits", "does not name the bits of \"state\"");
    }
    const json& cp = object_at(snap, top, "cp");
    const json slot = integer_or_null(cp, "cp", "slot", 0, INT32_MAX);
    const json number = integer_or_null(cp, "cp", "number", 0, 1);
    const json peer = integer_or_null(cp, "cp", "peer_slot", 0, INT32_MAX);
    const bool cocpu = boolean(cp, "cp", "co_cpu");

    const json& status = object_at(snap, top, "status", true);
    std::string texts[3];
    const char* kTexts[] = {"local", "remote", "summary"};
    if (!status.is_null()) {
        for (int i = 0; i < 3; ++i) {
            texts[i] = text(status, "status", kTexts[i], 127);
        }
    }
    const json& sessions = object_at(snap, top, "sessions");
    const json local = session(member(sessions, "sessions", "local"), "sessions.local");
    const json remote = session(member(sessions, "sessions", "remote"), "sessions.remote");

    const json& lock = object_at(snap, top, "lock", true);
    json held = nullptr;
    if (!lock.is_null() && boolean(lock, "lock", "held")) {
        const long long pid = integer(lock, "lock", "pid", INT32_MIN, INT32_MAX);
        if (pid == 0) {
            wrong("lock.pid", "is 0 in a held lock");
        }
        held = {{"pid", pid},
                {"trans", integer(lock, "lock", "trans", INT32_MIN, INT32_MAX)},
                {"time", integer(lock, "lock", "time", 0, UINT32_MAX)},
                {"cmd", text(lock, "lock", "cmd", 32)}};
    }
    const json& reason_value = member(snap, top, "last_reboot_reason");
    const std::string reason =
        reason_value.is_null() ? "" : text_value(reason_value, "last_reboot_reason", 63);

    const json& failed = object_at(snap, top, "failed");
    json fail = json::object();
    for (const auto& [call, result] : failed.items()) {
        const long long value = integer_value(result, "failed." + call, INT32_MIN, INT32_MAX);
        if (!failing(call, value)) {
            wrong("failed." + call, "is not a failing result");
        }
        fail[call] = value;
    }
    null_with_failure(state.is_null(), failed, "state", "ham_get_state");
    null_with_failure(slot.is_null(), failed, "cp.slot", "getThisCPSlot");
    null_with_failure(number.is_null(), failed, "cp.number", "getThisCPNum");
    null_with_failure(peer.is_null(), failed, "cp.peer_slot", "getPeerCPSlot");
    if (!state.is_null()) {
        // Without a state word the texts are not asked for.
        null_with_failure(status.is_null(), failed, "status", "get_ha_status");
        if (failed.contains("getHAMStat") && failed["getHAMStat"] == state) {
            wrong("failed.getHAMStat", "is the state word itself");
        }
    } else if (!status.is_null()) {
        wrong("status", "is not null, but \"state\" is");
    } else if (!failed.contains("getHAMStat")) {
        wrong("state", "is null, but \"failed\" has no getHAMStat");
    }
    null_with_failure(local.is_null(), failed, "sessions.local", "has_get_hsess(1)");
    null_with_failure(remote.is_null(), failed, "sessions.remote", "has_get_hsess(0)");
    null_with_failure(lock.is_null(), failed, "lock", "ha_checklock");
    null_with_failure(reason_value.is_null(), failed, "last_reboot_reason", "ham_get_rb_reason");

    // Format 2: what the changing commands decide on besides, and the verdict, which is
    // the tool's own reading of the rest and is made again on the chassis laid out.
    json platform = nullptr;
    if (version >= 2) {
        const json& facts = object_at(snap, top, "platform");
        platform = {{"dp_upgrade", integer(facts, "platform", "dp_upgrade", INT32_MIN, INT32_MAX)},
                    {"model", integer(facts, "platform", "model", INT32_MIN, INT32_MAX)},
                    {"board", integer(facts, "platform", "board", INT32_MIN, INT32_MAX)}};
        const json& address = member(facts, "platform", "peer_ip");
        null_with_failure(address.is_null(), failed, "platform.peer_ip", "get_peer_ip_str");
        if (!address.is_null()) {
            platform["peer_ip"] = text_value(address, "platform.peer_ip", 63);
        }
        const json& ready = object_at(snap, top, "ready");
        boolean(ready, "ready", "ok");
        if (!member(ready, "ready", "status").is_string() || !member(ready, "ready", "reasons").is_array()) {
            wrong("ready", "is not {\"ok\": BOOL, \"status\": TEXT, \"reasons\": [...]}");
        }
    } else if (failed.contains("get_peer_ip_str")) {
        wrong("failed.get_peer_ip_str", "is not a call that hasnapshot makes in format 1");
    }

    // The simulated call fails for both CPs or for neither.
    if (fail.contains("has_get_hsess(1)") || fail.contains("has_get_hsess(0)")) {
        if (fail.value("has_get_hsess(1)", json()) != fail.value("has_get_hsess(0)", json())) {
            wrong("", "has_get_hsess failed for one CP only, or with two results; the simulated "
                      "chassis fails it alike for both");
        }
        fail["has_get_hsess"] = fail["has_get_hsess(1)"];
        fail.erase("has_get_hsess(1)");
        fail.erase("has_get_hsess(0)");
    }

    // The rest of the chassis is the default one's: nothing read-only shows it.
    json st = scenario_state("redundant");
    const int me = number.is_null() ? 0 : number.get<int>();
    st["this_cp"] = me;
    const uint32_t word = state.is_null() ? 0 : state.get<uint32_t>();
    st["bits"] = word & ~1u;
    st["active_cp"] = (word & 1u) != 0 || state.is_null() ? me : 1 - me;
    st["slots"][me] = slot.is_null() ? 0 : slot.get<int>();
    st["slots"][1 - me] = peer.is_null() ? 0 : peer.get<int>();
    st["cocpu"] = cocpu ? 1 : 0;
    // Set as chassis-sim set sets them, so that they stay what the CP printed.
    for (int i = 0; i < 3; ++i) {
        set_text(st, std::string("status.") + kTexts[i], texts[i]);
    }
    // A CP whose text said Restarting was down: it stays down until chassis-sim restart.
    st["restarting"] = {false, false};
    st["restarting"][me] = texts[0] == "Restarting";
    st["restarting"][1 - me] = texts[1] == "Restarting";
    // The copy's clock reads the snapshot's time now, and runs on from there.
    struct timespec host {};
    clock_gettime(CLOCK_REALTIME, &host);
    st["clock_offset"] = std::clamp(taken - static_cast<long long>(host.tv_sec), -(1LL << 40), 1LL << 40);
    const json none = {{"fl", 0}, {"up", 0}, {"ac", 0}, {"sy", 0}, {"ch", 0}, {"rbr", ""}};
    st["hsess"][me] = local.is_null() ? none : local;
    st["hsess"][1 - me] = remote.is_null() ? none : remote;
    if (!held.is_null()) {
        held["cp"] = me;  // the snapshot does not say on which CP the holder runs
    }
    st["lock"] = held;
    st["rb_reason"] = reason;
    st["fail"] = fail;
    if (!platform.is_null()) {
        for (const auto& [key, value] : platform.items()) {
            st[key] = value;
        }
    }
    return st;
}

// The snapshot's JSON text parsed; a key given twice in one object throws Wrong ("WHERE.KEY
// is given twice"), where the parser alone would keep the last silently.
json parse_unique(const std::string& text)
{
    // The open objects and arrays, outermost first: an object's keys so far and the key
    // being read, an array's items so far.
    struct Level {
        bool array;
        size_t items = 0;
        std::set<std::string> keys;
        std::string key;
    };
    std::vector<Level> levels;
    return json::parse(text, [&levels](int, json::parse_event_t event, json& parsed) {
        using Event = json::parse_event_t;
        if (event == Event::object_start || event == Event::array_start) {
            levels.push_back({event == Event::array_start, 0, {}, {}});
        } else if (event == Event::key) {
            Level& here = levels.back();
            here.key = parsed.get<std::string>();
            if (!here.keys.insert(here.key).second) {
                std::string where;
                for (const Level& level : levels) {
                    where = level.array ? where + "[" + std::to_string(level.items) + "]"
                                        : join(where, level.key);
                }
                wrong(where, "is given twice");
            }
        } else {
            if (event != Event::value) {
                levels.pop_back();
            }
            if (!levels.empty() && levels.back().array) {
                ++levels.back().items;
            }
        }
        return true;
    });
}

}  // namespace

std::string state_from_snapshot(const std::string& text, json& st,
                                const std::function<void(json&, const std::string&,
                                                         const std::string&)>& set_text)
{
    std::string wrong_nesting = check_nesting(text);
    if (!wrong_nesting.empty()) {
        return "not a snapshot: " + wrong_nesting;
    }
    try {
        json snap;
        try {
            snap = parse_unique(text);
        } catch (const json::exception& e) {
            return parse_failure(e);
        }
        st = build(snap, set_text);
    } catch (const Wrong& w) {
        return w.where.empty() ? w.what : "\"" + w.where + "\" " + w.what;
    }
    json check = st;
    const std::string damaged = check_state(check);
    return damaged.empty() ? "" : "gives a state the simulator cannot hold: " + damaged;
}

}  // namespace sim
