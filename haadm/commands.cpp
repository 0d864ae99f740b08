#include "haadm/commands.h"

#include <cstring>

namespace haadm {
namespace {

bool occurs_in(const char* invocation, std::string_view name, Match match)
{
    if (name.empty()) {
        return false;
    }
    // Table names are literals, so data() is NUL-terminated.
    return match == Match::any_case ? strcasestr(invocation, name.data()) != nullptr
                                    : strstr(invocation, name.data()) != nullptr;
}

}  // namespace

const CommandRow* select_command(const char* invocation)
{
    for (const CommandRow& row : kCommands) {
        if (occurs_in(invocation, row.name, row.match) ||
            occurs_in(invocation, row.alias, row.match)) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace haadm
