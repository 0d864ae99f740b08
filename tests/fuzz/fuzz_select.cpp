// Command selection from any invocation name.
#include <cstdint>
#include <cstring>
#include <string>

#include "haadm/commands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string name(reinterpret_cast<const char*>(data), size);
    const haadm::CommandRow* row = haadm::select_command(name.c_str());
    // A selected row's name or alias occurs in the name.
    if (row != nullptr && strstr(name.c_str(), row->name.data()) == nullptr &&
        strcasestr(name.c_str(), row->name.data()) == nullptr &&
        (row->alias.empty() || strstr(name.c_str(), row->alias.data()) == nullptr)) {
        __builtin_trap();
    }
    return 0;
}
