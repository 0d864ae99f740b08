#include "hasmtest/params.h"

#include <strings.h>

#include <cstring>

namespace haadm::hasmtest {
namespace {

constexpr bool is_blank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

constexpr int kMaxEntries = static_cast<int>(sizeof(TestParamList::entry) / sizeof(TestParam));

}  // namespace

int32_t to_number(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && is_blank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Past the 32-bit range the exact value no longer matters, only that it is beyond.
    constexpr int64_t kBeyond = int64_t{INT32_MAX} + 2;
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude < kBeyond) {
            magnitude = magnitude * 10 + (text[i] - '0');
        }
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

void copy_field(char* field, size_t size, const char* text)
{
    memset(field, 0, size);
    if (size > 0) {
        memcpy(field, text, strnlen(text, size - 1));
    }
}

void set_test_param(const char* name, const char* value, TestParamList& list)
{
    const int32_t count = list.count;
    for (int32_t i = 0; i < count && i < kMaxEntries; ++i) {
        TestParam& entry = list.entry[i];
        // The stored name ends within its field, so this compares the whole given name.
        if (strncasecmp(entry.name, name, sizeof entry.name) == 0) {
            copy_field(entry.value, sizeof entry.value, value);
            return;
        }
    }
    if (count < 0 || count >= kMaxEntries) {
        return;
    }
    TestParam& entry = list.entry[count];
    copy_field(entry.name, sizeof entry.name, name);
    copy_field(entry.value, sizeof entry.value, value);
    list.count = count + 1;
}

}  // namespace haadm::hasmtest
