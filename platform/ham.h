// HA manager, HA lock and CP identity.
#pragma once

#include <cstdint>

#include "records.h"

// Bits of the HA state word.
inline constexpr uint32_t kHaActive = 0x00000001;
inline constexpr uint32_t kHaRedundant = 0x00000002;
inline constexpr uint32_t kHaSynchronized = 0x00000004;
inline constexpr uint32_t kHaEnabled = 0x00000040;
inline constexpr uint32_t kHaDualCp = 0x00000080;
inline constexpr uint32_t kHaSuppressed = 0x00000800;
inline constexpr uint32_t kHaNoFastboot = 0x00100000;  // hareboot -f ends at once when set
inline constexpr uint32_t kHaCocpuHeartbeat = 0x01000000;
inline constexpr uint32_t kHaStandbyHealthy = 0x08000000;
// Composite tests.
inline constexpr uint32_t kHaRedundantPair = kHaRedundant | kHaDualCp;
inline constexpr uint32_t kHaReadyForReboot = kHaRedundant | kHaSynchronized | kHaEnabled;

// Requests on the HA manager device (magic byte 0xD6).
inline constexpr unsigned long kHamDumpState = 0x2000D606;
inline constexpr unsigned long kHamResetProcessor = 0x2000D617;  // argument 0: peer CP, 1: co-CPU
inline constexpr unsigned long kHamSetRebootReason = 0x4004D61D;
inline constexpr unsigned long kHamYield = 0x2000D61F;

inline constexpr int kHamNotifyFastboot = 25;
inline constexpr int kHamNotifyRebootReason = 24;
inline constexpr int kHamRequestReboot = 2;
inline constexpr int kHamRequestShutdown = 3;

// The HA manager keeps at most this many bytes of a reboot reason, NUL included.
inline constexpr int kHamReasonSize = 64;

extern "C" {

// Filled by get_ha_status; only the three texts are read.
struct HaStatusRecord {
    char reserved[660];
    char local[128];
    char remote[128];
    char summary[128];
    char tail[16];
};
static_assert(sizeof(HaStatusRecord) == 1060);
PLATFORM_FIELD_AT(HaStatusRecord, local, 660);
PLATFORM_FIELD_AT(HaStatusRecord, remote, 788);
PLATFORM_FIELD_AT(HaStatusRecord, summary, 916);

// Holder of the HA lock, filled by ha_checklock.
struct HaLockRecord {
    int32_t pid;  // 0: the lock is free
    int32_t trans;
    int32_t reserved;
    uint32_t time;  // seconds since 1970, unsigned: good until 2106
    char cmd[32];
};
static_assert(sizeof(HaLockRecord) == 48);
PLATFORM_FIELD_AT(HaLockRecord, pid, 0);
PLATFORM_FIELD_AT(HaLockRecord, trans, 4);
PLATFORM_FIELD_AT(HaLockRecord, time, 12);
PLATFORM_FIELD_AT(HaLockRecord, cmd, 16);
PLATFORM_FIELD_SIZE(HaLockRecord, time, 4);

// Reason handed to the HA manager with kHamSetRebootReason.
struct RebootReasonRequest {
    uint32_t word;  // always 0
    char reason[32];
};
static_assert(sizeof(RebootReasonRequest) == 36);
PLATFORM_FIELD_AT(RebootReasonRequest, word, 0);
PLATFORM_FIELD_AT(RebootReasonRequest, reason, 4);

int ham_get_state(void);
int getHAMStat(void);
int getHAMFd(void);
int ham_get_fd(void);
int enableHA(void);
int disableHA(void);
int forceFailover(void);
int ham_force_failover(void);
int ham_disable_ha(void);
int ham_request(int request, int arg);
int ham_notify(int event);
int notifyHAM(int event);
int ham_set_state(int bits);
// Fills reason with at most kHamReasonSize bytes.
int ham_get_rb_reason(char* reason);
int get_ha_status(int state, HaStatusRecord* record);

int ha_lock(int a, int b, const char* owner);
int ha_unlock(int a);
int ha_checklock(HaLockRecord* record);

int getThisCPSlot(void);
int getThisCPNum(void);
int getPeerCPSlot(void);
int cocpu_present(void);
int is_on_cocpu(void);

}  // extern "C"
