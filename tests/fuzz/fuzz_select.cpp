// Command selection from any invocation name.
#include <cstdint>
#include <cstring>
#include <string>

#include "haadm/commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string name(reinterpret_cast<const char*>(data), size);
    const int index = haadm::select_command(name.c_str());
    if (index < -1 || index >= static_cast<int>(haadm::kCommands.size())) {
        __builtin_trap();
    }
    // A selected row's name or alias occurs in the name.
    const haadm::CommandNames* row = index < 0 ? nullptr : &haadm::kCommands[index].names;
    if (row != nullptr && strstr(name.c_str(), row->name) == nullptr &&
        strcasestr(name.c_str(), row->name) == nullptr &&
        (row->alias[0] == '\0' || strstr(name.c_str(), row->alias) == nullptr)) {
        __builtin_trap();
    }
    return 0;
}
