// hasnapshot: the HA state of this CP as one JSON object.
#pragma once

#include <cstddef>

namespace haadm {

// Whether size bytes are UTF-8 (shortest forms, no surrogates, nothing above U+10FFFF);
// texts that are not are written as their bytes in hex.
bool is_utf8(const char* data, size_t size);

}  // namespace haadm
