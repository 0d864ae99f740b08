// The text of a time value in the CP's local time, as the statistics print it.
#pragma once

#include <cstddef>
#include <ctime>

namespace haadm {

// The records' unsigned 32-bit times reach 2106; a 32-bit time_t would show those past
// January 2038 before 1970 (build 32-bit targets with -D_TIME_BITS=64).
static_assert(sizeof(time_t) >= 8, "time_t must be 64 bits");

// Every caller's buffer for format_time.
inline constexpr size_t kTimeTextSize = 64;

// "%H:%M:%S %Z %a %b %d %Y" of *time in local time, into a zero-filled text; returns the
// characters written. A time that cannot be converted or does not fit gives "".
size_t format_time(const time_t* time, char* text, size_t size);

}  // namespace haadm
