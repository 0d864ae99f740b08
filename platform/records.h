// Helpers for the fixed-layout records that the tool exchanges with the platform.
#pragma once

#include <cstddef>

// Checks one field's offset inside a record whose layout the platform fixes.
#define PLATFORM_FIELD_AT(type, field, offset) \
    static_assert(offsetof(type, field) == (offset), #type "." #field " must sit at " #offset)

// Checks one field's width, for fields that must keep it whatever the C library's types
// (time words stay 32 bits when time_t is 64).
#define PLATFORM_FIELD_SIZE(type, field, size) \
    static_assert(sizeof(type::field) == (size), #type "." #field " must be " #size " bytes")
