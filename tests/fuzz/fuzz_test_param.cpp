// The test parameter list under any series of names and values.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "hasmtest/params.h"

namespace {

bool zero_after_text(const char* field, size_t size)
{
    const size_t len = strnlen(field, size);
    if (len == size) {
        return false;  // every field keeps its terminating NUL
    }
    for (size_t i = len; i < size; ++i) {
        if (field[i] != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // NUL-separated texts, taken in pairs of name and value.
    std::vector<std::string> texts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            texts.emplace_back();
        } else {
            texts.back().push_back(static_cast<char>(data[i]));
        }
    }
    TestParamList list{};
    for (size_t i = 0; i + 1 < texts.size(); i += 2) {
        haadm::hasmtest::set_test_param(texts[i].c_str(), texts[i + 1].c_str(), list);
        if (list.count < 0 || list.count > 17) {
            __builtin_trap();
        }
    }
    for (int e = 0; e < 17; ++e) {
        const TestParam& entry = list.entry[e];
        const bool used = e < list.count;
        if (used ? !(zero_after_text(entry.name, 16) && zero_after_text(entry.value, 16))
                 : !(entry.name[0] == 0 && zero_after_text(entry.name, 16) &&
                     entry.value[0] == 0 && zero_after_text(entry.value, 16))) {
            __builtin_trap();
        }
    }
    return 0;
}
