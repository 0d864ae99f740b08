// The time texts of haredundancy and hadump, and a holder line without its time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <limits>
#include <string>

#include "haadm/dump_lock.h"
#include "haadm/format_time.h"

namespace {

void use_zone(const char* zone)
{
    setenv("TZ", zone, 1);
    tzset();
}

std::string formatted(time_t t, size_t size = haadm::kTimeTextSize)
{
    char text[haadm::kTimeTextSize];
    memset(text, 'x', sizeof text);
    const size_t n = haadm::format_time(&t, text, size);
    EXPECT_EQ(n, strlen(text));
    // The rest of the buffer is zero-filled, not left as it was.
    for (size_t i = n; i < size; ++i) {
        EXPECT_EQ(text[i], '\0') << "byte " << i;
    }
    return text;
}

TEST(FormatTime, UnconvertibleOrTooLongGivesEmptyText)
{
    use_zone("UTC");
    if constexpr (sizeof(time_t) > 4) {
        EXPECT_EQ(formatted(std::numeric_limits<time_t>::max()), "");
    }
    // 28 characters do not fit into 28 bytes with the NUL.
    EXPECT_EQ(formatted(1700000000, 28), "");
    EXPECT_EQ(formatted(1700000000, 29), "22:13:20 UTC Tue Nov 14 2023");
}

TEST(TimeStamp, MonthDayTimeAndPlainMicroseconds)
{
    use_zone("UTC");
    const struct {
        time_t sec;
        long usec;
        const char* text;
    } cases[] = {
        {1700000000, 0, "TIME_STAMP: Nov 14 22:13:20.0\n"},
        {1700000000, 999999, "TIME_STAMP: Nov 14 22:13:20.999999\n"},
        {0, 120, "TIME_STAMP: Jan  1 00:00:00.120\n"},
    };
    for (const auto& c : cases) {
        timeval now{};
        now.tv_sec = c.sec;
        now.tv_usec = c.usec;
        char out[64];
        const size_t n = haadm::format_time_stamp(now, out, sizeof out);
        EXPECT_EQ(std::string(out, n), c.text);
    }
}

// A time that cannot be converted leaves the holder line's time empty.
TEST(LockHolder, MissingTime)
{
    HaLockRecord record{};
    record.pid = 1;
    char out[128];
    haadm::format_lock_holder(record, nullptr, out, sizeof out);
    EXPECT_STREQ(out, "Lock occupied: pid 1, trans 0, cmd , time \n");
}

}  // namespace
