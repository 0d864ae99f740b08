// Decimal numbers of the test harness: strtol's reading, clamped to 32 bits.
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "hasmtest/params.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int32_t got = haadm::hasmtest::to_number(text.c_str());
    errno = 0;
    const long long wide = strtoll(text.c_str(), nullptr, 10);
    const long long want = wide > INT32_MAX ? INT32_MAX : wide < INT32_MIN ? INT32_MIN : wide;
    if (got != want) {
        __builtin_trap();
    }
    return 0;
}
