// The text of a time value in the CP's local time, as the statistics print it.
#pragma once

#include <cstddef>
#include <ctime>

namespace haadm {

// Every caller's buffer for format_time.
inline constexpr size_t kTimeTextSize = 64;

// "%H:%M:%S %Z %a %b %d %Y" of *time in local time, into a zero-filled text; returns the
// characters written. A time that cannot be converted or does not fit gives "".
size_t format_time(const time_t* time, char* text, size_t size);

}  // namespace haadm
