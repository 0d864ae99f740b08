// The harness's argument conventions: decimal numbers and the test parameter list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/ls.h"

namespace haadm::hasmtest {

// A decimal number read as strtol does with base 10 (leading blanks, one sign, digits up
// to the first other character; no digits give 0), held to the signed 32-bit range.
int32_t to_number(std::string_view text);

// Copies text into a fixed field: at most size - 1 characters, the rest zero bytes.
void copy_field(char* field, size_t size, const char* text);

// Replaces the value of the entry named name (any case), or adds the pair behind the
// used entries. A full list keeps its entries and refuses the new pair.
void set_test_param(const char* name, const char* value, TestParamList& list);

}  // namespace haadm::hasmtest
