// A clock for end-to-end cases, preloaded into the tool: time() answers the seconds in
// E2E_CLOCK (decimal or 0x-hex) instead of the real time. Both symbols are defined: a
// 32-bit target built with a 64-bit time_t calls __time64, every other build calls time.
#include <cstdint>
#include <cstdlib>

namespace {

int64_t now()
{
    const char* text = getenv("E2E_CLOCK");
    return text == nullptr ? 0 : strtoll(text, nullptr, 0);
}

}  // namespace

extern "C" {

long time(long* out)
{
    const auto t = static_cast<long>(now());
    if (out != nullptr) {
        *out = t;
    }
    return t;
}

long long __time64(long long* out)  // NOLINT(bugprone-reserved-identifier): glibc's name
{
    const long long t = now();
    if (out != nullptr) {
        *out = t;
    }
    return t;
}

}  // extern "C"
