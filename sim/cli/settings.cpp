// chassis-sim set and fail: the keys a person may set, each with its range, and the
// platform calls whose result may be injected.
#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <numeric>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/utf8.h"
#include "generated/lists.inc"
#include "platform/ham.h"
#include "sim/cli/verbs.h"
#include "sim/store/escape.h"
#include "sim/store/ha_rules.h"
#include "sim/store/keys.h"
#include "sim/store/paths.h"
#include "sim/store/shape.h"
#include "sim/store/state.h"

namespace sim {
namespace {

// Calls with an integer result, whose result `fail` can inject: every such call of the
// platform's headers.
const std::vector<std::string> kFailable = {HAADM_PLATFORM_CALLS};

}  // namespace

namespace {

long long number(const std::string& text, long long low, long long high)
{
    const auto value = parse_number(text);
    if (!value || *value < low || *value > high) {
        throw BadValue{"'" + text + "' is not a number from " + std::to_string(low) + " to " +
                       std::to_string(high)};
    }
    return *value;
}

std::string text(const std::string& value, size_t max)
{
    if (value.size() > max) {
        throw BadValue{"a text of at most " + std::to_string(max) + " characters is expected"};
    }
    return value;
}

std::vector<std::string> split(const std::string& value, char sep)
{
    std::vector<std::string> parts(1);
    for (const char c : value) {
        if (c == sep) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// One CP's session record from FL,UP,AC,SY,CH,RBR.
json session(const std::string& value)
{
    const auto parts = split(value, ',');
    if (parts.size() != 6) {
        throw BadValue{"expected FL,UP,AC,SY,CH,RBR"};
    }
    return {{"fl", number(parts[0], INT32_MIN, UINT32_MAX)},
            {"up", number(parts[1], 0, UINT32_MAX)},
            {"ac", number(parts[2], 0, UINT32_MAX)},
            {"sy", number(parts[3], 0, UINT32_MAX)},
            {"ch", number(parts[4], 0, UINT32_MAX)},
            {"rbr", text(parts[5], 27)}};
}

json port_map(const std::string& value)
{
    json ports = json::object();
    if (value.empty()) {
        return ports;
    }
    for (const std::string& item : split(value, ',')) {
        const auto colon = item.find(':');
        if (colon == std::string::npos) {
            throw BadValue{"expected P:BYTE,..."};
        }
        const long long port = number(item.substr(0, colon), 0, 1799);
        const long long byte = number(item.substr(colon + 1), 0, 255);
        if (byte != 0) {
            ports[std::to_string(port)] = byte;
        }
    }
    return ports;
}

}  // namespace

bool apply(json& st, const std::string& key, const std::string& value)
{
    const int cp = sim::this_cp(st);
    for (const NumberKey& plain : kNumberKeys) {
        if (plain.settable && key == plain.name) {
            st[key] = number(value, plain.low, plain.high);
            return true;
        }
    }
    for (const TextKey& plain : kTextKeys) {
        if (plain.settable && key == plain.name) {
            st[key] = plain.longest == 0 ? value : text(value, plain.longest);
            return true;
        }
    }
    if (key == "state") {
        const auto word = static_cast<uint32_t>(number(value, INT32_MIN, UINT32_MAX));
        const int active = (word & 1u) != 0 ? cp : 1 - cp;
        st["active_cp"] = active;
        // A standby that a command took down is not healthy, whatever the word says.
        st["bits"] = word & ~1u & (sim::restarting(st, 1 - active) ? ~kHaStandbyHealthy : ~0u);
    } else if (key == "slots") {
        if (value == "0") {
            st["slots"] = {0, 0};
        } else {
            const auto parts = split(value, ',');
            if (parts.size() != 2) {
                throw BadValue{"expected A,B or 0"};
            }
            st["slots"] = {number(parts[0], INT32_MIN, INT32_MAX), number(parts[1], INT32_MIN, INT32_MAX)};
        }
    } else if (key == "status.local" || key == "status.remote" || key == "status.summary") {
        // A text set by a person stays as set until status=auto.
        const std::string which = key.substr(7);
        st["status"][which] = text(value, 127);
        if (!st.contains("status_set")) {
            st["status_set"] = {"local", "remote", "summary"};
        }
        json& set = st["status_set"];
        if (std::find(set.begin(), set.end(), which) == set.end()) {
            set.push_back(which);
        }
    } else if (key == "status") {
        if (value != "auto") {
            throw BadValue{"expected auto (the three texts follow the state word again)"};
        }
        st["status_set"] = json::array();
    } else if (key == "lock") {
        if (value == "free") {
            st["lock"] = nullptr;
        } else {
            const auto parts = split(value, ',');
            if (parts.size() != 4) {
                throw BadValue{"expected free or PID,TRANS,TIME,CMD"};
            }
            const long long pid = number(parts[0], INT32_MIN, INT32_MAX);
            if (pid == 0) {
                throw BadValue{"PID 0 is a free lock; use free"};
            }
            st["lock"] = {{"pid", pid},
                          {"trans", number(parts[1], INT32_MIN, INT32_MAX)},
                          {"time", number(parts[2], 0, UINT32_MAX)},
                          {"cmd", text(parts[3], 32)},  // 32: fills the field without a NUL
                          {"cp", cp}};
        }
    } else if (key == "hsess.local") {
        st["hsess"][cp] = session(value);
    } else if (key == "hsess.remote") {
        st["hsess"][1 - cp] = session(value);
    } else if (key.rfind("ls.", 0) == 0) {
        const auto dot = key.find('.', 3);
        if (dot == std::string::npos) {
            return false;
        }
        const std::string sw = std::to_string(number(key.substr(3, dot - 3), INT32_MIN, INT32_MAX));
        const std::string rest = key.substr(dot + 1);
        json& ls = st["ls"][sw];
        if (ls.is_null()) {
            ls = {{"ports", json::object()}, {"attr", json::object()}, {"enabled", false}};
        }
        if (rest == "ports") {
            ls["ports"] = port_map(value);
        } else if (rest.rfind("attr.", 0) == 0 && rest.size() > 5) {
            ls["attr"][rest.substr(5)] = text(value, 255);
        } else {
            return false;
        }
    } else if (key.rfind("sysattr.", 0) == 0 && key.size() > 8) {
        st["sysattr"][key.substr(8)] = text(value, 255);
    } else if (key == "peer_version") {
        const auto dot = value.find('.');
        if (dot == std::string::npos) {
            throw BadValue{"expected MAJOR.MINOR"};
        }
        st["peer_version"] = {number(value.substr(0, dot), INT32_MIN, INT32_MAX),
                              number(value.substr(dot + 1), INT32_MIN, INT32_MAX)};
    } else {
        return false;
    }
    return true;
}

Outcome set_command(const std::vector<std::string>& args)
{
    if (args.empty()) {
        return {2, "set needs KEY=VALUE"};
    }
    std::string error;
    sim::root();
    json st = sim::state();
    for (size_t i = 0; i < args.size() && error.empty(); ++i) {
        const std::string& pair = args[i];
        const auto eq = pair.find('=');
        if (eq == std::string::npos || eq == 0) {
            error = "'" + pair + "' is not KEY=VALUE";
            break;
        }
        const std::string key = pair.substr(0, eq);
        if (!haadm::is_utf8(key.data(), key.size())) {
            error = "the key '" + key + "' is not UTF-8";
            break;
        }
        try {
            if (!apply(st, key, pair.substr(eq + 1))) {
                error = "unknown key '" + key + "'";
            }
        } catch (const BadValue& bad) {
            error = "bad value for " + key + ": " + bad.why;
        }
    }
    if (!error.empty()) {
        sim::complain(error + "; nothing changed");
        return {1, {}};
    }
    // Applied again under the lock so that concurrent changes are not lost.
    sim::update_state([&](json& fresh) {
        for (const std::string& pair : args) {
            const auto eq = pair.find('=');
            apply(fresh, pair.substr(0, eq), pair.substr(eq + 1));
        }
    });
    return {};
}

namespace {

// " (did you mean CALL?)" for a failable call at most two edits from name, else "".
std::string near_call(const std::string& name)
{
    for (const std::string& call : kFailable) {
        // Edit distance, one row at a time.
        std::vector<size_t> row(call.size() + 1);
        std::iota(row.begin(), row.end(), 0);
        for (size_t i = 1; i <= name.size(); ++i) {
            size_t diagonal = std::exchange(row[0], i);
            for (size_t j = 1; j <= call.size(); ++j) {
                const size_t replaced = diagonal + (name[i - 1] == call[j - 1] ? 0 : 1);
                diagonal = std::exchange(row[j], std::min({row[j] + 1, row[j - 1] + 1, replaced}));
            }
        }
        if (row.back() <= 2) {
            return " (did you mean " + call + "?)";
        }
    }
    return "";
}

}  // namespace

Outcome fail_command(const std::vector<std::string>& args)
{
    if (args.size() == 1 && args[0] == "--clear") {
        sim::root();
        sim::update_state([](json& st) { st["fail"] = json::object(); });
        return {};
    }
    if (args.empty()) {
        return {2, "fail needs CALL=RESULT or --clear"};
    }
    std::map<std::string, int> fails;
    for (const std::string& pair : args) {
        const auto eq = pair.find('=');
        const std::string call = pair.substr(0, eq);
        if (eq == std::string::npos ||
            std::find(kFailable.begin(), kFailable.end(), call) == kFailable.end()) {
            sim::complain("'" + pair + "' is not CALL=RESULT with a call that has an integer result" +
                          near_call(call) + "; nothing changed");
            return {1, {}};
        }
        const auto value = parse_number(pair.substr(eq + 1));
        if (!value || *value < INT32_MIN || *value > INT32_MAX) {
            sim::complain("bad result for " + call + ": '" + pair.substr(eq + 1) +
                          "' is not a 32-bit integer; nothing changed");
            return {1, {}};
        }
        fails[call] = static_cast<int>(*value);
    }
    sim::root();
    sim::update_state([&](json& st) {
        for (const auto& [call, result] : fails) {
            st["fail"][call] = result;
        }
    });
    return {};
}

}  // namespace sim
