// Whether a text is valid UTF-8: no overlong form, no surrogate, nothing past U+10FFFF.
// Header-only and without allocation, for the tool on the CP and for the simulator.
#pragma once

#include <cstddef>
#include <cstdint>

namespace haadm {

inline bool is_utf8(const char* data, size_t size)
{
    size_t i = 0;
    while (i < size) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t more = 0;
        uint32_t code = 0;
        uint32_t least = 0;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1, code = c & 0x1Fu, least = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2, code = c & 0x0Fu, least = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3, code = c & 0x07u, least = 0x10000;
        } else {
            return false;
        }
        if (size - i <= more) {
            return false;
        }
        for (size_t k = 1; k <= more; ++k) {
            const auto n = static_cast<unsigned char>(data[i + k]);
            if ((n & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (n & 0x3Fu);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += more + 1;
    }
    return true;
}

}  // namespace haadm
