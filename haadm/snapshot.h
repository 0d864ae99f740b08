// hasnapshot: what one run reads of this CP, for the JSON document and for the metrics.
#pragma once

#include <cstddef>

#include "haadm/readiness.h"
#include "platform/ham.h"
#include "platform/hasm.h"
#include "platform/syscon.h"

namespace haadm {

// As hainfo show reads it: the HA manager fills at most kHamReasonSize bytes.
constexpr size_t kReasonBuffer = 127;
static_assert(kReasonBuffer >= kHamReasonSize);

// The calls that failed, in the order they were made; at most one entry per call.
struct Failure {
    const char* call;
    int result;
};
constexpr size_t kMaxFailures = 10;
struct Failures {
    Failure item[kMaxFailures];
    size_t count;
    void add(const char* call, int result)
    {
        if (count < kMaxFailures) {
            item[count++] = {call, result};
        }
    }
};

// What one run reads; each part is valid only when its flag says so.
struct Snapshot {
    bool state_ok;
    int state;
    bool slot_ok;
    int slot;
    bool number_ok;
    int number;
    bool peer_ok;
    int peer;
    bool cocpu;
    bool status_ok;
    HaStatusRecord status;
    bool local_ok;
    HaSession local;
    bool remote_ok;
    HaSession remote;
    bool lock_ok;
    int lock_rc;
    HaLockRecord lock;
    bool reason_ok;
    char reason[kReasonBuffer];
    // What the changing commands decide on besides, and the verdict on the failover.
    int flags;
    int dp_upgrade;
    int model;
    int board;
    bool peer_ip_ok;
    char peer_ip[kPeerIpSize];
    ReadinessFacts facts;
    Verdict verdict;
    Failures failed;
};

// The length of a text filled into a buffer of size bytes: up to its NUL, or the whole buffer.
size_t text_length(const char* data, size_t size);

// The metrics of a snapshot taken at taken, in the Prometheus text exposition format.
void print_metrics(const Snapshot& s, long long taken);

}  // namespace haadm
