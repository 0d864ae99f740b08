// HA state machine library.
#pragma once

#include <cstdint>

#include "records.h"

extern "C" {

// What hasm_synstart and hasm_synstop act on: head[:tail] of the command line.
struct SyncRequest {
    char head[16];
    char tail[16];
    uint32_t reserved;
};
static_assert(sizeof(SyncRequest) == 36);
PLATFORM_FIELD_AT(SyncRequest, head, 0);
PLATFORM_FIELD_AT(SyncRequest, tail, 16);
PLATFORM_FIELD_AT(SyncRequest, reserved, 32);

// One CP's HA session; times are unsigned seconds since 1970, 0 when not set.
struct HaSession {
    int32_t fl;
    uint32_t up;
    uint32_t ac;
    uint32_t sy;
    uint32_t ch;
    char rbr[28];
};
static_assert(sizeof(HaSession) == 48);
PLATFORM_FIELD_AT(HaSession, fl, 0);
PLATFORM_FIELD_AT(HaSession, up, 4);
PLATFORM_FIELD_AT(HaSession, ac, 8);
PLATFORM_FIELD_AT(HaSession, sy, 12);
PLATFORM_FIELD_AT(HaSession, ch, 16);
PLATFORM_FIELD_AT(HaSession, rbr, 20);
PLATFORM_FIELD_SIZE(HaSession, up, 4);
PLATFORM_FIELD_SIZE(HaSession, ac, 4);
PLATFORM_FIELD_SIZE(HaSession, sy, 4);
PLATFORM_FIELD_SIZE(HaSession, ch, 4);

inline constexpr int32_t kSessionUnexpectedRecovered = 0x2;
inline constexpr int32_t kSessionExpectedRecovered = 0x4;
inline constexpr int kSessionLocal = 1;
inline constexpr int kSessionRemote = 0;

struct DumpRequest {
    int32_t flag;
    char path[28];  // a CP path, at most 24 characters
};
static_assert(sizeof(DumpRequest) == 32);
PLATFORM_FIELD_AT(DumpRequest, flag, 0);
PLATFORM_FIELD_AT(DumpRequest, path, 4);

int hasm_synstart(SyncRequest* request);
int hasm_synstop(SyncRequest* request);
int has_get_hsess(int which, HaSession* session);
int hasm_alloc_lport(int a, int b, int c);
int hasm_free_lport(int a, int b, int c);
int hasm_get_port(int a, int b, int c, int d);
int hasm_dump(DumpRequest* request);
int hasm_testoom(void);

}  // extern "C"
