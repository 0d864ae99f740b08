// RAS event log.
#pragma once

#include "records.h"

inline constexpr int kEvtHaStateChanged = 0x2B000F;   // one text
inline constexpr int kEvtHaReboot = 0x2B0010;         // no text
inline constexpr int kEvtRebootReason = 0x2B0003;     // one text
inline constexpr int kEvtCocpuRebootReason = 0x102B0014;  // one text
inline constexpr int kEvtFailover = 0x410007;         // no text

extern "C" {

// Opaque; filled by rasevt_gethndl_internal and passed on by value.
struct RasEvtHandle {
    unsigned char opaque[32];
};
static_assert(sizeof(RasEvtHandle) == 32);

int rasevt_init_check(void);
int rasevt_init(const char* domain, int flags, const char* client);
int rasevt_gethndl_internal(RasEvtHandle* handle);
// The message arguments follow event_id; how many the event takes is the log's catalog.
int rasevt_log2(const char* module, const char* function, int line, const char* component,
                RasEvtHandle handle, int a, int b, int event_id, ...);
int rasevt_exit(void);
int raslogd_fsync(int mode, const char* who);

}  // extern "C"
