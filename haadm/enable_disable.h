// Pieces of haenable that do not touch the platform.
#pragma once

#include <cstddef>

namespace haadm {

// True when the first capacity bytes of text hold a NUL-terminated IPv4 dotted-decimal
// or IPv6 address and nothing else: only such text may go into a shell command line.
bool is_ip_address_text(const char* text, size_t capacity);

}  // namespace haadm
