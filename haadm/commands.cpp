#include "haadm/commands.h"

#include <cstring>

#include "haadm/rows.h"

namespace haadm {
namespace {

// What selection reads at run time: the rows' names without their handlers.
constexpr std::array<CommandNames, kCommands.size()> kNames = parts_of(kCommands, &CommandRow::names);

bool occurs_in(const char* invocation, const char* name, Match match)
{
    if (name[0] == '\0') {
        return false;
    }
    return match == Match::any_case ? strcasestr(invocation, name) != nullptr
                                    : strstr(invocation, name) != nullptr;
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
    return call_row<kCommands>(index, run);
}

}  // namespace haadm
