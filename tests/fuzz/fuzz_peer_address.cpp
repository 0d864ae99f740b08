// The check that keeps anything but an address out of the shell.
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>

#include "haadm/enable_disable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* text = reinterpret_cast<const char*>(data);
    if (!haadm::is_ip_address_text(text, size)) {
        return 0;
    }
    // Accepted text is terminated within the buffer and holds only address characters.
    const size_t len = strnlen(text, size);
    if (len == size) {
        __builtin_trap();
    }
    for (size_t i = 0; i < len; ++i) {
        const unsigned char c = data[i];
        if (!(isxdigit(c) || c == '.' || c == ':')) {
            __builtin_trap();
        }
    }
    return 0;
}
