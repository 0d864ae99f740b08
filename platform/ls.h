// Logical-switch library.
#pragma once

#include <cstdint>

#include "records.h"

inline constexpr int kPortCount = 1800;
inline constexpr uint8_t kPortIncluded = 0x80;
inline constexpr uint8_t kPortTypeMask = 0x7F;
inline constexpr int kControlTextSize = 128;

extern "C" {

struct TestParam {
    char name[16];
    char value[16];
};
static_assert(sizeof(TestParam) == 32);
PLATFORM_FIELD_AT(TestParam, name, 0);
PLATFORM_FIELD_AT(TestParam, value, 16);

// Named creation parameters of ls_create.
struct TestParamList {
    int32_t count;
    TestParam entry[17];
};
static_assert(sizeof(TestParamList) == 548);
PLATFORM_FIELD_AT(TestParamList, count, 0);
PLATFORM_FIELD_AT(TestParamList, entry, 4);

// Ports to add to or remove from a switch; each byte 0x80 | port type code.
struct ExpandRequest {
    int32_t ge;
    uint8_t ports[kPortCount];
};
static_assert(sizeof(ExpandRequest) == 1804);
PLATFORM_FIELD_AT(ExpandRequest, ge, 0);
PLATFORM_FIELD_AT(ExpandRequest, ports, 4);

struct SwPortRecord {
    uint32_t words[2];
    uint8_t ports[kPortCount];
    uint8_t rest[1804];
};
static_assert(sizeof(SwPortRecord) == 3612);
PLATFORM_FIELD_AT(SwPortRecord, ports, 8);
PLATFORM_FIELD_AT(SwPortRecord, rest, 1808);

struct PeerVersion {
    int32_t major;
    int32_t minor;
};
static_assert(sizeof(PeerVersion) == 8);
PLATFORM_FIELD_AT(PeerVersion, major, 0);
PLATFORM_FIELD_AT(PeerVersion, minor, 4);

// Attribute values are written into the caller's buffer, NUL included, at most this long.
inline constexpr int kLsAttributeMax = 256;

int ls_create(TestParamList* params);
int ls_enable(int sw);
int ls_disable(int sw);
int ls_delete(int sw);
int ls_shutdown(int sw, const char* text);
int ls_restart(int sw, const char* text);
int ls_expand(int sw, ExpandRequest* request);
int ls_deexpand(int sw, ExpandRequest* request);
int ls_expand_sync(const char* service, int sw, ExpandRequest* request);
int ls_deexpand_sync(const char* service, int sw, ExpandRequest* request);
int ls_alloc_lport(int a, int b);
int ls_free_lport(int a, int b);
int ls_get_swport(int sw, SwPortRecord* record);
int ls_set_attribute(int sw, const char* name, const char* value);
// With a null value buffer and the name "FID", returns the switch's FID.
int ls_get_attribute(int sw, const char* name, char* value);
int ls_set_sys_attribute(const char* name, const char* value);
int ls_get_sys_attribute(const char* name, char* value);
int ls_get_peer_version(PeerVersion* version);

}  // extern "C"
