// The named bits of the HA state word, as hasnapshot, haready and the metrics name them.
#pragma once

#include <cstdint>

#include "platform/ham.h"

namespace haadm {

struct NamedBit {
    uint32_t mask;
    char name[20];   // as hasnapshot's "bits" lists it
    char label[20];  // as a label or a metric's name: lower case, no blanks
};
inline constexpr NamedBit kNamedBits[] = {
    {kHaActive, "ACTIVE", "active"},
    {kHaRedundant, "REDUNDANT", "redundant"},
    {kHaSynchronized, "SYNCHRONIZED", "synchronized"},
    {kHaEnabled, "HA_ENABLED", "ha_enabled"},
    {kHaDualCp, "DUAL_CP", "dual_cp"},
    {kHaSuppressed, "suppressed", "suppressed"},
    {kHaCocpuHeartbeat, "co-CPU heartbeat", "cocpu_heartbeat"},
    {kHaStandbyHealthy, "standby healthy", "standby_healthy"},
};

}  // namespace haadm
