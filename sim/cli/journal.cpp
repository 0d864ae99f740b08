// chassis-sim journal: the journal for people or scripts, filtered.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <iostream>
#include <set>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sim/store/escape.h"
#include "sim/store/files.h"
#include "sim/store/journal.h"
#include "sim/store/paths.h"
#include "sim/store/shape.h"
#include "sim/store/state.h"
#include "sim/cli/verbs.h"

namespace sim {
namespace {

struct Filter {
    std::set<std::string> calls;
    long long pid = -1;
    long long cp = -1;
    long long last = -1;
    bool as_json = false;
    bool clear = false;
};

// The options that take a number: its range, what it must be, where it goes.
struct NumberOption {
    const char* name;
    long long low;
    long long high;
    const char* must_be;
    long long Filter::*field;
};
constexpr NumberOption kNumberOptions[] = {
    {"--pid", 1, 0x7fffffff, "a process id", &Filter::pid},
    {"--cp", 0, 1, "0 or 1", &Filter::cp},
    {"--last", 0, 0x7fffffff, "a count", &Filter::last},
};

// Reads the options; returns a refusal, empty when they are good.
std::string read_options(const std::vector<std::string>& args, Filter& filter)
{
    bool filtered = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--clear" || arg == "--json") {
            (arg == "--clear" ? filter.clear : filter.as_json) = true;
            filtered = filtered || arg == "--json";
            continue;
        }
        const NumberOption* number = nullptr;
        for (const NumberOption& option : kNumberOptions) {
            number = arg == option.name ? &option : number;
        }
        if (arg != "--call" && number == nullptr) {
            return "unknown journal option '" + arg + "'";
        }
        if (i + 1 >= args.size()) {
            return arg + " needs a value";
        }
        const std::string& value = args[++i];
        filtered = true;
        if (number == nullptr) {
            if (value.empty()) {
                return "bad value for --call: a call name is expected";
            }
            filter.calls.insert(value);
            continue;
        }
        // Decimal digits only, from low to high.
        if (value.empty() || value.size() > 18 || value.find_first_not_of("0123456789") != std::string::npos ||
            std::stoll(value) < number->low || std::stoll(value) > number->high) {
            return "bad value for " + arg + ": '" + value + "' is not " + number->must_be;
        }
        filter.*(number->field) = std::stoll(value);
    }
    if (filter.clear && (filtered || args.size() > 1)) {
        return "journal --clear takes no other option";
    }
    return {};
}

// An entry as the simulator writes it: an object with a call name, a process id, a CP and
// a list of arguments. Anything else on a line is read as a torn line.
bool whole_entry(const json& entry)
{
    const auto has = [&entry](const char* key, bool (json::*is)() const noexcept) {
        return entry.contains(key) && (entry[key].*is)();
    };
    return entry.is_object() && has("call", &json::is_string) && has("pid", &json::is_number_integer) &&
           has("cp", &json::is_number_integer) && has("args", &json::is_array);
}

bool matches(const json& entry, const Filter& filter)
{
    return (filter.calls.empty() || filter.calls.count(entry["call"].get<std::string>()) != 0) &&
           (filter.pid < 0 || entry["pid"].get<long long>() == filter.pid) &&
           (filter.cp < 0 || entry["cp"].get<long long>() == filter.cp);
}

// A line longer than any the simulator writes is not one of its entries: it is skipped
// as a torn line without being held whole.
constexpr size_t kLongestLine = 1024 * 1024;
constexpr size_t kBlock = 65536;

// The journal, opened for reading; a journal that is missing or not a file ends the process.
int open_journal(const std::string& path, off_t& size)
{
    const int fd = open_file(path, O_RDONLY | O_NONBLOCK);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0) {
        fatal("cannot read the journal " + path + ": " + strerror(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        fatal("cannot read the journal " + path + ": it is not a file");
    }
    size = st.st_size;
    return fd;
}

// Reads count bytes at offset; a read that fails ends the process.
void read_at(int fd, char* into, size_t count, off_t offset, const std::string& path)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t n = pread(fd, into + done, count - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            fatal("cannot read the journal " + path + ": " + (n == 0 ? "it became shorter" : strerror(errno)));
        }
        done += static_cast<size_t>(n);
    }
}

// What the journal shows, one line at a time: a line is reported and skipped when it is
// not a whole entry (a killed writer left it unfinished, it is too deep to walk or too
// long, or it is of another shape), and otherwise shown when the filter takes it.
class Viewer {
public:
    Viewer(const Filter& filter, std::string path) : filter_(filter), path_(std::move(path)) {}

    // The text to show for the line numbered number, or nothing.
    std::optional<std::string> take(const std::string& line, bool too_long, const std::function<long long()>& number)
    {
        if (line.empty() && !too_long) {
            return std::nullopt;
        }
        json entry;
        if (!too_long && check_nesting(line).empty()) {
            entry = json::parse(line, nullptr, false);
        }
        if (entry.is_discarded() || !whole_entry(entry)) {
            complain("line " + std::to_string(number()) + " of " + path_ + " is not a whole entry; skipped");
            return std::nullopt;
        }
        if (!matches(entry, filter_)) {
            return std::nullopt;
        }
        return filter_.as_json ? json_printable(line) : human_line(entry);
    }

private:
    const Filter& filter_;
    std::string path_;
};

// Every line from the start, each shown as it is read.
void show_forward(int fd, off_t size, Viewer& viewer, const std::string& path)
{
    std::vector<char> block(kBlock);
    std::string line;
    bool too_long = false;
    long long number = 0;
    const auto finish = [&] {
        ++number;
        if (auto shown = viewer.take(line, too_long, [&] { return number; })) {
            std::cout << *shown << '\n';
        }
        line.clear();
        too_long = false;
    };
    for (off_t at = 0; at < size;) {
        const size_t count = static_cast<size_t>(std::min<off_t>(static_cast<off_t>(kBlock), size - at));
        read_at(fd, block.data(), count, at, path);
        at += static_cast<off_t>(count);
        for (size_t i = 0; i < count;) {
            const char* end = static_cast<const char*>(memchr(block.data() + i, '\n', count - i));
            const size_t stop = end == nullptr ? count : static_cast<size_t>(end - block.data());
            if (!too_long) {
                line.append(block.data() + i, stop - i);
                if (line.size() > kLongestLine) {
                    too_long = true;
                    line.clear();
                }
            }
            i = stop;
            if (end != nullptr) {
                finish();
                ++i;
            }
        }
    }
    if (!line.empty() || too_long) {
        finish();
    }
}

// The last `last` lines that the filter takes, read from the end back: time and memory
// do not grow with the journal. A line's number is counted only for a line reported.
void show_last(int fd, off_t size, Viewer& viewer, size_t last, const std::string& path)
{
    std::vector<std::string> kept;
    std::vector<char> block(kBlock);
    // Lines before an offset, counted once and then only over what lies between.
    off_t counted_to = -1;
    long long counted = 0;
    const auto lines_before = [&](off_t offset) {
        const off_t from = counted_to < 0 ? 0 : offset;
        const off_t to = counted_to < 0 ? offset : counted_to;
        long long between = 0;
        for (off_t at = from; at < to;) {
            const size_t count = static_cast<size_t>(std::min<off_t>(static_cast<off_t>(kBlock), to - at));
            read_at(fd, block.data(), count, at, path);
            between += std::count(block.data(), block.data() + count, '\n');
            at += static_cast<off_t>(count);
        }
        counted = counted_to < 0 ? between : counted - between;
        counted_to = offset;
        return counted;
    };
    std::string line;  // the end of the line being read, in reverse order of its bytes
    bool too_long = false;
    const auto finish = [&](off_t start) {
        std::reverse(line.begin(), line.end());
        if (auto shown = viewer.take(line, too_long, [&] { return lines_before(start) + 1; })) {
            kept.push_back(std::move(*shown));
        }
        line.clear();
        too_long = false;
    };
    std::vector<char> tail(kBlock);
    for (off_t end = size; end > 0 && kept.size() < last;) {
        const size_t count = static_cast<size_t>(std::min<off_t>(static_cast<off_t>(kBlock), end));
        const off_t at = end - static_cast<off_t>(count);
        read_at(fd, tail.data(), count, at, path);
        for (size_t i = count; i > 0 && kept.size() < last; --i) {
            const char c = tail[i - 1];
            const off_t offset = at + static_cast<off_t>(i - 1);
            if (c == '\n') {
                // The newline that ends the journal starts no line of its own.
                if (offset + 1 < size) {
                    finish(offset + 1);
                }
                continue;
            }
            if (!too_long) {
                line += c;
                if (line.size() > kLongestLine) {
                    too_long = true;
                    line.clear();
                }
            }
        }
        end = at;
        if (end == 0 && kept.size() < last && (!line.empty() || too_long)) {
            finish(0);
        }
    }
    for (auto it = kept.rbegin(); it != kept.rend(); ++it) {
        std::cout << *it << '\n';
    }
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
    // The state is not read: the journal is what tells how a state came to be damaged.
    off_t size = 0;
    const int fd = open_journal(path, size);
    Viewer viewer(filter, path);
    if (filter.last >= 0) {
        show_last(fd, size, viewer, static_cast<size_t>(filter.last), path);
    } else {
        show_forward(fd, size, viewer, path);
    }
    close(fd);
    std::cout.flush();
    return {std::cout ? 0 : 1, {}};
}

}  // namespace sim
