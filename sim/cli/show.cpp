// chassis-sim show: the chassis drawn for a person, or the stored state for scripts.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/bits.h"
#include "platform/ham.h"
#include "sim/store/escape.h"
#include "sim/store/paths.h"
#include "sim/store/state.h"
#include "sim/store/ha_rules.h"
#include "sim/store/keys.h"
#include "sim/cli/verbs.h"

namespace sim {
namespace {

std::string quoted(const std::string& text) { return "\"" + printable(text) + "\""; }

std::string hex32(uint32_t value)
{
    char buf[16];
    snprintf(buf, sizeof buf, "0x%08X", value);
    return buf;
}

// Seconds since 1970 in local time; 0 is "never".
std::string local_time(long long seconds)
{
    if (seconds == 0) {
        return "never";
    }
    const auto when = static_cast<time_t>(seconds);
    struct tm tm {};
    char buf[64];
    if (localtime_r(&when, &tm) == nullptr || strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S %Z", &tm) == 0) {
        return std::to_string(seconds);
    }
    return buf;
}

// "  label      value": the values line up from the 21st column.
void field(std::ostream& out, const std::string& label, const std::string& value)
{
    std::string head = "  " + label;
    head.resize(std::max<size_t>(head.size() + 1, 20), ' ');
    out << head << value << '\n';
}

// The two CPs side by side, each in a box.
void draw_cps(std::ostream& out, const json& st)
{
    constexpr size_t kBox = 35;  // inner width; two boxes and a gap fit 80 columns
    const int here = this_cp(st);
    const int active = st.value("active_cp", 0);
    const bool no_slots = st["slots"][0].get<long long>() == 0 && st["slots"][1].get<long long>() == 0;
    std::vector<std::vector<std::string>> boxes(2);
    for (int cp = 0; cp < 2; ++cp) {
        const uint32_t word = state_word(st, cp);
        auto& rows = boxes[static_cast<size_t>(cp)];
        // The peer is there for the commands when the word of this CP says both REDUNDANT
        // and DUAL_CP, as for the status texts ("Not present" otherwise).
        const bool present = cp == here || redundant_pair(state_word(st, here));
        const std::string slot = no_slots ? "no CP slots" : "slot " + std::to_string(st["slots"][cp].get<long long>());
        rows.push_back("CP" + std::to_string(cp) + "  " + slot);
        if (restarting(st, cp)) {
            rows.emplace_back("restarting");
            rows.push_back("until: chassis-sim restart " + std::to_string(cp));
        } else if (!present) {
            rows.emplace_back("not present");
        } else if (cp == active) {
            rows.emplace_back("ACTIVE");
        } else {
            const bool healthy = (word & kHaStandbyHealthy) != 0;
            rows.push_back(std::string("STANDBY, ") + (healthy ? "healthy" : "not healthy"));
        }
        rows.push_back("state word " + hex32(word));
        if (cp == here) {
            // A CP that is down still takes commands, as from its console.
            const char* run = restarting(st, cp) ? "commands still run here" : "commands run here";
            rows.push_back(std::string(run) + (st.value("on_cocpu", 0) != 0 ? ", on the co-CPU" : ""));
        }
    }
    const size_t height = std::max(boxes[0].size(), boxes[1].size());
    const std::string rule = "+" + std::string(kBox + 2, '-') + "+";
    out << rule << ' ' << rule << '\n';
    for (size_t r = 0; r < height; ++r) {
        for (size_t b = 0; b < 2; ++b) {
            std::string text = r < boxes[b].size() ? boxes[b][r] : "";
            text.resize(kBox, ' ');
            out << "| " << text << " |";
            out << (b == 0 ? " " : "\n");
        }
    }
    out << rule << ' ' << rule << '\n';
}

void draw_word(std::ostream& out, const json& st)
{
    const int here = this_cp(st);
    const uint32_t word = state_word(st, here);
    out << "HA state word " << hex32(word) << " as seen from CP" << here << '\n';
    uint32_t named = 0;
    for (const haadm::NamedBit& bit : haadm::kNamedBits) {
        named |= bit.mask;
        const bool set = (word & bit.mask) != 0;
        std::string line = std::string("  ") + (set ? "[x] " : "[ ] ") + hex32(bit.mask) + "  " + bit.name;
        out << line << '\n';
    }
    // A chassis with one CP does not report redundancy; the commands read such a word
    // differently, and the drawing says so rather than pass over it.
    if ((word & kHaRedundant) != 0 && (word & kHaDualCp) == 0) {
        field(out, "note",
              "REDUNDANT without DUAL_CP, which no chassis with one CP reports: hashow shows "
              "the peer as not present and no summary, while the commands that test "
              "REDUNDANT alone take the chassis as redundant");
    }
    std::string others;
    for (int i = 0; i < 32; ++i) {
        const uint32_t mask = 1u << i;
        if ((word & mask) != 0 && (named & mask) == 0) {
            others += (others.empty() ? "" : " ") + hex32(mask);
        }
    }
    field(out, "other bits set", others.empty() ? "none" : others);
}

void draw_lock(std::ostream& out, const json& st)
{
    const json& lock = st["lock"];
    if (lock.is_null()) {
        out << "HA lock free\n";
        return;
    }
    out << "HA lock held\n";
    field(out, "holder", "pid " + std::to_string(lock.value("pid", 0LL)) + " on CP" +
                             std::to_string(lock.value("cp", 0)));
    field(out, "transaction", std::to_string(lock.value("trans", 0LL)));
    field(out, "command", quoted(lock.value("cmd", "")));
    field(out, "taken", local_time(lock.value("time", 0LL)));
}

void draw_sessions(std::ostream& out, const json& st)
{
    const int here = this_cp(st);
    const int active = st.value("active_cp", 0);
    out << "HA sessions\n";
    for (int cp = 0; cp < 2; ++cp) {
        const json& s = st["hsess"][cp];
        const auto flags = static_cast<uint32_t>(s.value("fl", 0LL));
        // The active CP's record is the current active session; the other CP's, the
        // session it last held as active, if it ever was.
        const char* what = s.value("ac", 0LL) == 0 ? "no active session recorded"
                           : cp == active          ? "the current active session"
                                                   : "its last active session";
        out << "  CP" << cp << (cp == here ? " (local): " : " (remote): ") << what << '\n';
        std::string named = hex32(flags);
        if ((flags & 0x2) != 0) {
            named += ", unexpected recovered";
        }
        if ((flags & 0x4) != 0) {
            named += ", expected recovered";
        }
        field(out, "  flags", named);
        field(out, "  up since", local_time(s.value("up", 0LL)));
        field(out, "  active since", local_time(s.value("ac", 0LL)));
        field(out, "  session since", local_time(s.value("sy", 0LL)));
        field(out, "  changed", local_time(s.value("ch", 0LL)));
        field(out, "  reboot reason", quoted(s.value("rbr", "")));
    }
}

void draw_texts(std::ostream& out, const json& st)
{
    out << "Status texts\n";
    const json status = status_texts(st);
    const json all = {"local", "remote", "summary"};
    const json& set = st.contains("status_set") ? st["status_set"] : all;
    for (const char* key : {"local", "remote", "summary"}) {
        const bool by_hand = std::find(set.begin(), set.end(), key) != set.end();
        field(out, key, quoted(status.value(key, "")) + (by_hand ? " (set)" : ""));
    }
    out << "HA manager\n";
    field(out, "reboot reason", quoted(st.value("rb_reason", "")));
}

void draw_switches(std::ostream& out, const json& st)
{
    const json& switches = st["ls"];
    if (switches.empty()) {
        out << "Logical switches none\n";
        return;
    }
    out << "Logical switches\n";
    // Numeric order, not the order of the keys' texts.
    std::map<long long, std::string> order;
    for (const auto& [key, value] : switches.items()) {
        order.emplace(strtoll(key.c_str(), nullptr, 10), key);
    }
    for (const auto& [number, key] : order) {
        const json& ls = switches[key];
        out << "  switch " << number << (ls.value("enabled", false) ? ", enabled" : ", disabled") << '\n';
        std::map<long long, long long> ports;
        for (const auto& [port, byte] : ls["ports"].items()) {
            ports.emplace(strtoll(port.c_str(), nullptr, 10), byte.get<long long>());
        }
        std::string marked;
        for (const auto& [port, byte] : ports) {
            char item[32];
            snprintf(item, sizeof item, "%lld:0x%02llX", port, byte);
            marked += (marked.empty() ? "" : " ") + std::string(item);
        }
        field(out, "  ports", marked.empty() ? "none marked" : marked);
        for (const auto& [name, value] : ls["attr"].items()) {
            field(out, "  attr " + printable(name), quoted(value.get<std::string>()));
        }
    }
}

void draw_platform(std::ostream& out, const json& st)
{
    out << "Platform\n";
    for (const NumberKey& key : kNumberKeys) {
        if (key.label != nullptr) {
            field(out, key.label, std::to_string(st[key.name].get<long long>()));
        }
    }
    for (const TextKey& key : kTextKeys) {
        if (key.label != nullptr) {
            field(out, key.label, quoted(st[key.name].get<std::string>()));
        }
    }
    const json& version = st["peer_version"];
    field(out, "peer version", std::to_string(version[0].get<long long>()) + "." +
                                   std::to_string(version[1].get<long long>()));
    for (const auto& [name, value] : st["sysattr"].items()) {
        field(out, "sysattr " + printable(name), quoted(value.get<std::string>()));
    }
}

void draw_faults(std::ostream& out, const json& st)
{
    const json& fails = st["fail"];
    if (fails.empty()) {
        out << "Injected faults none\n";
        return;
    }
    out << "Injected faults (until chassis-sim fail --clear)\n";
    for (const auto& [call, result] : fails.items()) {
        field(out, printable(call), "returns " + std::to_string(result.get<long long>()));
    }
}

}  // namespace

Outcome show_command(const std::vector<std::string>& args)
{
    bool as_json = false;
    for (const std::string& arg : args) {
        if (arg == "--json" && !as_json) {
            as_json = true;
        } else {
            return {2, "show takes only --json"};
        }
    }
    if (as_json) {
        std::cout << json_printable(state_text());  // a state that cannot be used is refused
        std::cout.flush();
        return {std::cout ? 0 : 1, {}};
    }
    const json& st = state();
    std::ostringstream out;
    out << "Chassis " << printable(root()) << '\n';
    draw_cps(out, st);
    draw_word(out, st);
    draw_lock(out, st);
    draw_sessions(out, st);
    draw_texts(out, st);
    draw_switches(out, st);
    draw_platform(out, st);
    draw_faults(out, st);
    std::cout << out.str();
    std::cout.flush();
    return {std::cout ? 0 : 1, {}};
}

}  // namespace sim
