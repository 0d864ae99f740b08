// The sync request built from head[:tail].
#include <cstdint>
#include <cstring>
#include <string>

#include "haadm/sync.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string argument(reinterpret_cast<const char*>(data), size);
    const SyncRequest request = haadm::make_sync_request(argument.c_str());
    const std::string text = argument.c_str();  // up to the first NUL
    const size_t colon = text.find(':');
    const std::string head = text.substr(0, colon).substr(0, 15);
    const std::string tail = colon == std::string::npos ? "" : text.substr(colon + 1).substr(0, 15);
    if (request.reserved != 0 || request.head[15] != '\0' || request.tail[15] != '\0' ||
        head != request.head || tail != request.tail) {
        __builtin_trap();
    }
    return 0;
}
