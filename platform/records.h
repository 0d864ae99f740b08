// Helpers for the fixed-layout records that the tool exchanges with the platform.
#pragma once

#include <cstddef>

// Checks one field's offset inside a record whose layout the platform fixes.
#define PLATFORM_FIELD_AT(type, field, offset) \
    static_assert(offsetof(type, field) == (offset), #type "." #field " must sit at " #offset)
