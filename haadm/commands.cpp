#include "haadm/commands.h"

#include <cstring>
#include <utility>

namespace haadm {
namespace {

// What selection reads at run time: the rows without their handlers.
struct RowNames {
    char name[sizeof CommandRow::name];
    char alias[sizeof CommandRow::alias];
    Match match;
};

constexpr std::array<RowNames, kCommands.size()> kNames = [] {
    std::array<RowNames, kCommands.size()> names{};
    for (size_t row = 0; row < kCommands.size(); ++row) {
        for (size_t i = 0; i < sizeof CommandRow::name; ++i) {
            names[row].name[i] = kCommands[row].name[i];
            names[row].alias[i] = kCommands[row].alias[i];
        }
        names[row].match = kCommands[row].match;
    }
    return names;
}();
static_assert(sizeof CommandRow::name == sizeof CommandRow::alias);

bool occurs_in(const char* invocation, const char* name, Match match)
{
    if (name[0] == '\0') {
        return false;
    }
    return match == Match::any_case ? strcasestr(invocation, name) != nullptr
                                    : strstr(invocation, name) != nullptr;
}

// A direct call of row I's handler: the handler is a constant here, not read from memory.
template <size_t I>
Outcome run_row(Run& run)
{
    constexpr Handler handler = kCommands[I].handler;
    return handler(run);
}

template <size_t... I>
Outcome run_row_of(int index, Run& run, std::index_sequence<I...> /*rows*/)
{
    Outcome outcome = leave(-1);
    (void)((index == static_cast<int>(I) && (outcome = run_row<I>(run), true)) || ...);
    return outcome;
}

}  // namespace

int select_command(const char* invocation)
{
    for (size_t row = 0; row < kNames.size(); ++row) {
        if (occurs_in(invocation, kNames[row].name, kNames[row].match) ||
            occurs_in(invocation, kNames[row].alias, kNames[row].match)) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

Outcome run_command(int index, Run& run)
{
    return run_row_of(index, run, std::make_index_sequence<kCommands.size()>{});
}

}  // namespace haadm
