// System controller and other platform state.
#pragma once

#include <cstdint>

#include "records.h"

inline constexpr int kFssmHaAdmin = 5;
inline constexpr uint16_t kHaAdminCode = 0x3000;
inline constexpr uint32_t kHaAdminEnable = 4;
inline constexpr uint32_t kHaAdminDisable = 5;

// get_peer_ip_str writes at most this many bytes, NUL included.
inline constexpr int kPeerIpSize = 64;

extern "C" {

// Names an HA change to fssm_admin.
struct HaAdminNotice {
    char name[8];
    uint8_t zero1[8];
    uint16_t code;
    uint8_t zero2[38];
    uint32_t op;
    uint8_t zero3[4];
};
static_assert(sizeof(HaAdminNotice) == 64);
PLATFORM_FIELD_AT(HaAdminNotice, name, 0);
PLATFORM_FIELD_AT(HaAdminNotice, code, 16);
PLATFORM_FIELD_AT(HaAdminNotice, op, 56);

int sysconModel(void);
int sysconHwBoardModel(void);
int esm_is_extnHcl_inprog(void);
int isw_get_fcr_state(uint16_t* state);
int iswPause(void);
int essPause(void);
int reboot_system(int* mode);
int fssm_admin(int code, HaAdminNotice* notice);
int get_peer_ip_str(char* address);
int pd_init(void);
int eth_create(int arg);

}  // extern "C"
