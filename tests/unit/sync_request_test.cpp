#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "haadm/sync.h"

namespace {

using haadm::make_sync_request;

// A field's text, and whether every byte after it is zero.
std::string text_of(const char* field, size_t size, bool& padded)
{
    const size_t len = strnlen(field, size);
    padded = len < size;
    for (size_t i = len; i < size; ++i) {
        padded = padded && field[i] == '\0';
    }
    return std::string(field, len);
}

TEST(SyncRequest, SplitsAtTheFirstColonAndCutsAtFifteen)
{
    const struct {
        const char* argument;
        const char* head;
        const char* tail;
    } cases[] = {
        {nullptr, "", ""},
        {"", "", ""},
        {"abc:def", "abc", "def"},
        {"abc", "abc", ""},
        {"a:b:c", "a", "b:c"},
        {"12345678901234567890", "123456789012345", ""},
        {"123456789012345", "123456789012345", ""},
        {"1234567890123456:x", "123456789012345", "x"},
        {"h:12345678901234567890", "h", "123456789012345"},
    };
    for (const auto& c : cases) {
        const SyncRequest request = make_sync_request(c.argument);
        const std::string name = c.argument == nullptr ? "(none)" : c.argument;
        bool head_padded = false;
        bool tail_padded = false;
        EXPECT_EQ(text_of(request.head, sizeof request.head, head_padded), c.head) << name;
        EXPECT_EQ(text_of(request.tail, sizeof request.tail, tail_padded), c.tail) << name;
        EXPECT_TRUE(head_padded && tail_padded) << name;
        EXPECT_EQ(request.reserved, 0u) << name;
    }
}

}  // namespace
