// The texts of hadump's time stamps and of hachecklock's holder line.
#pragma once

#include <sys/time.h>

#include <cstddef>

#include "platform/ham.h"

namespace haadm {

// "TIME_STAMP: Mon dd hh:mm:ss.USEC\n" of a reading of the time of day, the
// microseconds without zero padding. Returns the length written.
size_t format_time_stamp(const timeval& now, char* out, size_t size);

// "Lock occupied: ..." for a held lock. time_text is the ctime text of the record's
// time, or null when that time could not be converted. Returns the length written.
size_t format_lock_holder(const HaLockRecord& record, const char* time_text, char* out,
                          size_t size);

}  // namespace haadm
