#include <gtest/gtest.h>

#include <string>

#include "common/utf8.h"

namespace {

// Which texts hasnapshot writes as JSON strings and which as their bytes in hex.
TEST(Snapshot, Utf8)
{
    const struct {
        std::string text;
        bool utf8;
    } cases[] = {
        {"", true},
        {"Healthy", true},
        {"Gesund \xe2\x9c\x93", true},
        {"\xf0\x9f\x98\x80", true},        // U+1F600
        {"\xf4\x8f\xbf\xbf", true},        // U+10FFFF, the last
        {"\x01\x7f", true},                // control bytes are escaped, not hex
        {"\xff", false},
        {"\xc0\xaf", false},               // an overlong '/'
        {"\xe0\x80\xaf", false},           // overlong in three bytes
        {"\xed\xa0\x80", false},           // a surrogate
        {"\xf4\x90\x80\x80", false},       // above U+10FFFF
        {"half \xe2\x82", false},          // cut at the end
        {"\xe2\x28\xa1", false},           // a continuation byte missing
        {"\x80", false},                   // a lone continuation byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(haadm::is_utf8(c.text.data(), c.text.size()), c.utf8) << c.text;
    }
}

}  // namespace
