// chassis-sim journal: the journal for people or scripts, filtered.
#include <cstdio>
#include <deque>
#include <fstream>
#include <iostream>
#include <set>
#include <string>
#include <vector>

#include "sim/chassis.h"
#include "sim/people.h"

namespace sim {
namespace {

struct Filter {
    std::set<std::string> calls;
    long long pid = -1;
    int cp = -1;
    long long last = -1;
    bool as_json = false;
    bool clear = false;
};

// A decimal number from low to high, nothing else.
bool decimal(const std::string& text, long long low, long long high, long long& value)
{
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    value = std::stoll(text);
    return value >= low && value <= high;
}

// Reads the options; returns a refusal, empty when they are good.
std::string read_options(const std::vector<std::string>& args, Filter& filter)
{
    bool filtered = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--clear") {
            filter.clear = true;
            continue;
        }
        if (arg == "--json") {
            filter.as_json = true;
            filtered = true;
            continue;
        }
        if (arg != "--call" && arg != "--pid" && arg != "--cp" && arg != "--last") {
            return "unknown journal option '" + arg + "'";
        }
        if (i + 1 >= args.size()) {
            return arg + " needs a value";
        }
        const std::string& value = args[++i];
        filtered = true;
        long long number = 0;
        if (arg == "--call") {
            if (value.empty()) {
                return "bad value for --call: a call name is expected";
            }
            filter.calls.insert(value);
        } else if (arg == "--pid") {
            if (!decimal(value, 1, 0x7fffffff, number)) {
                return "bad value for --pid: '" + value + "' is not a process id";
            }
            filter.pid = number;
        } else if (arg == "--cp") {
            if (!decimal(value, 0, 1, number)) {
                return "bad value for --cp: '" + value + "' is not 0 or 1";
            }
            filter.cp = static_cast<int>(number);
        } else {
            if (!decimal(value, 0, 0x7fffffff, number)) {
                return "bad value for --last: '" + value + "' is not a count";
            }
            filter.last = number;
        }
    }
    if (filter.clear && (filtered || args.size() > 1)) {
        return "journal --clear takes no other option";
    }
    return {};
}

bool matches(const Filter& filter, const json& entry)
{
    if (!filter.calls.empty()) {
        const auto call = entry.find("call");
        if (call == entry.end() || !call->is_string() || filter.calls.count(call->get<std::string>()) == 0) {
            return false;
        }
    }
    if (filter.pid >= 0) {
        const auto pid = entry.find("pid");
        if (pid == entry.end() || !pid->is_number_integer() || pid->get<long long>() != filter.pid) {
            return false;
        }
    }
    if (filter.cp >= 0) {
        const auto cp = entry.find("cp");
        if (cp == entry.end() || !cp->is_number_integer() || cp->get<long long>() != filter.cp) {
            return false;
        }
    }
    return true;
}

}  // namespace

Outcome journal_command(const std::vector<std::string>& args)
{
    Filter filter;
    const std::string refusal = read_options(args, filter);
    if (!refusal.empty()) {
        return {2, refusal};
    }
    const std::string path = root() + "/sim/journal.jsonl";
    if (filter.clear) {
        update_state([&](json&) { std::ofstream(path, std::ios::trunc); });
        return {};
    }
    const bool selects = !filter.calls.empty() || filter.pid >= 0 || filter.cp >= 0;
    std::ifstream in(path, std::ios::binary);
    std::deque<std::string> kept;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) {
            continue;
        }
        // A line too deep to walk or that is not an entry matches no filter on its
        // fields; unfiltered, it is shown as it stands.
        json entry;
        bool parsed = false;
        if (check_nesting(line).empty()) {
            try {
                entry = json::parse(line);
                parsed = true;
            } catch (const json::exception&) {
            }
        }
        std::string shown;
        if (parsed) {
            if (!matches(filter, entry)) {
                continue;
            }
            shown = filter.as_json ? line : human_line(entry);
        } else {
            if (selects) {
                continue;
            }
            shown = filter.as_json ? line : "?? " + line;
        }
        kept.push_back(std::move(shown));
        if (filter.last >= 0 && kept.size() > static_cast<size_t>(filter.last)) {
            kept.pop_front();
        }
    }
    for (const std::string& text : kept) {
        std::cout << text << '\n';
    }
    std::cout.flush();
    return {std::cout ? 0 : 1, {}};
}

}  // namespace sim
