// Messaging service: process registration and request/reply messages.
#pragma once

#include <cstdint>

#include "records.h"

extern "C" {

// Address of a messaging endpoint: node number and endpoint name.
struct IpcAddress {
    uint16_t node;
    uint16_t pad;
    char name[20];
};
static_assert(sizeof(IpcAddress) == 24);
PLATFORM_FIELD_AT(IpcAddress, node, 0);
PLATFORM_FIELD_AT(IpcAddress, pad, 2);
PLATFORM_FIELD_AT(IpcAddress, name, 4);

// How long ipcSendRcv waits for the reply: two 32-bit words, not a timeval, whose
// fields follow the C library's time_t.
struct IpcWait {
    int32_t sec;
    int32_t usec;
};
static_assert(sizeof(IpcWait) == 8);
PLATFORM_FIELD_AT(IpcWait, sec, 0);
PLATFORM_FIELD_AT(IpcWait, usec, 4);
PLATFORM_FIELD_SIZE(IpcWait, sec, 4);
PLATFORM_FIELD_SIZE(IpcWait, usec, 4);

int ipc_max_msg_size(int channel);
int ipcInit(const char* client, uint16_t pid, int max_msg_size, int flags);
void ipcExit(void);
int myNode(void);
// reply_word and reply (at most 20 bytes) are filled by the call.
int ipcSendRcv(const IpcAddress* to, int type, const void* data, int len,
               uint32_t* reply_word, void* reply, const IpcWait* wait);

}  // extern "C"
