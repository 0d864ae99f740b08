// The one escaper: a text from outside (a file, an argument, the environment, a platform
// record) as it may be shown on a terminal. Every control (below 0x20, DEL, and the C1
// controls as a byte or in their UTF-8 form) and every byte outside a whole UTF-8
// sequence is written as \n, \t or \xHH, each byte of it; the rest is kept as it is.
// Header-only and without allocation, for the tool on the CP and for the simulator.
#pragma once

#include <cstddef>

namespace haadm {

// Calls put(bytes, count) with the shown form of text, piece by piece. The ASCII bytes
// of also are written as \xHH too (a monitoring check's '|', which would start its
// performance data).
template <typename Put>
void escape_printable(const char* text, size_t size, Put put, const char* also = "")
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const auto escape = [&](unsigned char c) {
        const char shown[4] = {'\\', 'x', kHex[c >> 4], kHex[c & 0xF]};
        put(shown, 4);
    };
    for (size_t i = 0; i < size;) {
        const unsigned char c = byte(i);
        if (c < 0x80) {
            if (c == '\n') {
                put("\\n", 2);
            } else if (c == '\t') {
                put("\\t", 2);
            } else if (c < 0x20 || c == 0x7f || __builtin_strchr(also, c) != nullptr) {
                escape(c);
            } else {
                put(text + i, 1);
            }
            ++i;
            continue;
        }
        // A whole UTF-8 sequence is kept, but for a C1 control (U+0080 to U+009F).
        const size_t length = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : c >= 0xf0 && c <= 0xf4 ? 4 : 0;
        bool whole = length > 0 && i + length <= size;
        for (size_t k = 1; whole && k < length; ++k) {
            whole = (byte(i + k) & 0xc0) == 0x80;
        }
        if (whole && !(c == 0xc2 && byte(i + 1) <= 0x9f)) {
            put(text + i, length);
            i += length;
            continue;
        }
        const size_t count = whole ? length : 1;
        for (size_t k = 0; k < count; ++k) {
            escape(byte(i + k));
        }
        i += count;
    }
}

}  // namespace haadm
