// chassis-sim journal: the journal for people or scripts, filtered.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <set>
#include <sstream>
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

// An entry as the simulator writes it: a call name, a process id, a CP and a list of
// arguments. Anything else on a line is read as a torn line.
bool whole_entry(const json& entry)
{
    if (!entry.is_object()) {
        return false;
    }
    const auto call = entry.find("call");
    const auto pid = entry.find("pid");
    const auto cp = entry.find("cp");
    const auto args = entry.find("args");
    return call != entry.end() && call->is_string() && pid != entry.end() && pid->is_number_integer() &&
           cp != entry.end() && cp->is_number_integer() && args != entry.end() && args->is_array();
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

// The journal's bytes; a journal that is missing or not a file ends the process.
std::string read_journal(const std::string& path)
{
    const int fd = open_file(path, O_RDONLY | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        fatal("cannot read the journal " + path + ": " + strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        fatal("cannot read the journal " + path + ": it is not a file");
    }
    std::string text;
    if (!read_all(fd, text)) {
        fatal("cannot read the journal " + path + ": " + strerror(errno));
    }
    close(fd);
    return text;
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
        update_state([&](json&) {
            const int fd = open_own(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0) {
                fatal("cannot clear the journal " + path + ": " + strerror(errno));
            }
            close(fd);
        });
        return {};
    }
    // The journal is what tells how a state came to be damaged: it is shown all the same.
    const std::string damage = state_damage();
    if (!damage.empty()) {
        fprintf(stderr, "chassis-sim: %s; the journal is shown as it is\n", damage.c_str());
    }
    std::istringstream in(read_journal(path));
    std::deque<std::string> kept;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.empty()) {
            continue;
        }
        // A line that a killed writer left unfinished, one too deep to walk, or one of
        // another shape is reported and skipped.
        json entry;
        if (check_nesting(line).empty()) {
            try {
                entry = json::parse(line);
            } catch (const json::exception&) {
            }
        }
        if (!whole_entry(entry)) {
            fprintf(stderr, "chassis-sim: line %d of %s is not a whole entry; skipped\n", number,
                    path.c_str());
            continue;
        }
        if (!matches(filter, entry)) {
            continue;
        }
        std::string shown = filter.as_json ? json_printable(line) : human_line(entry);
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
