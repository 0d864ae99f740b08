#include "haadm/commands.h"

#include <cstring>

namespace haadm {
namespace {

// What selection reads at run time: the rows' names without their handlers.
constexpr std::array<CommandNames, kCommands.size()> names_of_rows()
{
    std::array<CommandNames, kCommands.size()> names{};
    for (size_t row = 0; row < kCommands.size(); ++row) {
        names[row] = kCommands[row].names;
    }
    return names;
}

constexpr std::array<CommandNames, kCommands.size()> kNames = names_of_rows();

bool occurs_in(const char* invocation, const char* name, Match match)
{
    if (name[0] == '\0') {
        return false;
    }
    return match == Match::any_case ? strcasestr(invocation, name) != nullptr
                                    : strstr(invocation, name) != nullptr;
}

// Calls the handler of row index directly, a constant here: rows I and on are tried in turn.
template <size_t I = 0>
Outcome run_row(int index, Run& run)
{
    if constexpr (I < kCommands.size()) {
        if (index == static_cast<int>(I)) {
            constexpr Handler handler = kCommands[I].handler;
            return handler(run);
        }
        return run_row<I + 1>(index, run);
    } else {
        return leave(-1);
    }
}

}  // namespace

int select_command(const char* invocation)
{
    for (size_t row = 0; row < kNames.size(); ++row) {
        const CommandNames& names = kNames[row];
        if (occurs_in(invocation, names.name, names.match) ||
            occurs_in(invocation, names.alias, names.match)) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

Outcome run_command(int index, Run& run)
{
    return run_row(index, run);
}

}  // namespace haadm
