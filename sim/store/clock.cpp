// The simulated CP's clock. With CHASSIS_SIM_CLOCK set to a whole number of seconds
// (decimal, or hex after 0x), time() reads those seconds in every program linked with
// the simulated chassis: the tool, and chassis-sim as the chassis's programs. The link
// routes the programs' time() here (--wrap), so that it works in a statically linked
// executable too, where nothing can be preloaded. Unset, the CP's clock is the host's;
// set to anything else, the chassis is refused when it is opened (root()). A copy laid out
// from a snapshot reads the snapshot's time when it is laid out and runs on from there
// (clock_offset()); CHASSIS_SIM_CLOCK sets its clock as any other.
#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "sim/store/paths.h"
#include "sim/store/shape.h"
#include "sim/store/state.h"

namespace {

// The seconds text stands for, or -1 when it is not a whole number of seconds.
int64_t seconds_of(const char* text)
{
    const auto seconds = sim::parse_number(text);
    return seconds && *seconds >= 0 ? *seconds : -1;
}

// The frozen seconds, or -1 when the host's clock reads.
int64_t frozen()
{
    const char* text = getenv("CHASSIS_SIM_CLOCK");
    return text == nullptr ? -1 : seconds_of(text);
}

template <typename T>
T answer(T* out, T (*host)(T*))
{
    const int64_t seconds = frozen();
    const auto t = seconds >= 0 ? static_cast<T>(seconds) : static_cast<T>(host(nullptr) + sim::clock_offset());
    if (out != nullptr) {
        *out = t;
    }
    return t;
}

}  // namespace

namespace sim {

bool clock_setting_ok()
{
    const char* text = getenv("CHASSIS_SIM_CLOCK");
    return text == nullptr || seconds_of(text) >= 0;
}

}  // namespace sim

extern "C" {

// A 32-bit target built with a 64-bit time_t calls __time64, every other build time.
#if __TIMESIZE == 32 && defined(__USE_TIME_BITS64)
long long __real___time64(long long* out);  // NOLINT(bugprone-reserved-identifier): the link's names

long long __wrap___time64(long long* out)  // NOLINT(bugprone-reserved-identifier)
{
    return answer(out, __real___time64);
}
#else
time_t __real_time(time_t* out);  // NOLINT(bugprone-reserved-identifier): the link's names

time_t __wrap_time(time_t* out)  // NOLINT(bugprone-reserved-identifier)
{
    return answer(out, __real_time);
}
#endif

}  // extern "C"
