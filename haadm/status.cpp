// hashow: the HA status of both CPs, the raw flags (-l) and the co-CPU heartbeat (-o).
#include "haadm/status.h"

#include <cstdio>
#include <cstring>

#include "haadm/commands.h"
#include "haadm/guards.h"
#include "platform/ham.h"

namespace haadm {
namespace {

constexpr const char* kUsage = "Usage: hashow";

Outcome print_cocpu()
{
    const auto state = static_cast<uint32_t>(getHAMStat());
    if (cocpu_present() == 0) {
        puts("Co-CPU is not supported");
    } else if ((state & kHaCocpuHeartbeat) != 0) {
        puts("Co-CPU heartbeat is UP");
    } else {
        puts("Co-CPU heartbeat is DOWN");
    }
    return leave(0);
}

Outcome print_flags()
{
    const auto state = static_cast<uint32_t>(getHAMStat());
    fputs((state & kHaActive) != 0 ? "ACTIVE " : "STANDBY ", stdout);
    if ((state & kHaRedundant) != 0) {
        fputs("REDUNDANT ", stdout);
    }
    if ((state & kHaSynchronized) != 0) {
        fputs("SYNCHRONIZED ", stdout);
    }
    fputs((state & kHaEnabled) != 0 ? "HA_ENABLED " : "HA_DISABLED ", stdout);
    if ((state & kHaDualCp) != 0) {
        fputs("DUAL_CP", stdout);
    }
    putchar('\n');
    return leave(0);
}

}  // namespace

int print_status_lines()
{
    const int s = ham_get_state();
    if (s < 0) {
        return -1;
    }
    const auto state = static_cast<uint32_t>(s);
    if ((state & kHaEnabled) == 0) {
        puts("HA is not enabled. Please enable HA first.");
        return -1;
    }
    if ((state & kHaSuppressed) != 0) {
        puts(kSuppressedLine);
        return -1;
    }
    const int slot = getThisCPSlot();
    const int num = getThisCPNum();
    const int peer = getPeerCPSlot();
    if (slot < 0 || num < 0 || peer < 0) {
        return -1;
    }
    // Zeroed so that texts the HA manager leaves unset print as empty.
    static HaStatusRecord record;
    memset(&record, 0, sizeof record);
    get_ha_status(s, &record);
    const bool active = (state & kHaActive) != 0;

    printf("Local CP (Slot %d, CP%d): %s", slot, num, active ? "Active" : "Standby");
    if (active) {
        printf(", %.*s", static_cast<int>(sizeof record.local), record.local);
    }
    putchar('\n');
    printf("Remote CP (Slot %d, CP%d): ", peer, num == 0 ? 1 : 0);
    if ((state & kHaRedundantPair) != kHaRedundantPair) {
        printf("%.*s\n", static_cast<int>(sizeof record.remote), record.remote);
        return -1;
    }
    if (active) {
        printf("%s, %.*s\n", "Standby", static_cast<int>(sizeof record.remote), record.remote);
    } else {
        puts("Active");
    }
    printf("%.*s\n", static_cast<int>(sizeof record.summary), record.summary);
    return 0;
}

Outcome cmd_hashow(Run& run)
{
    if (run.argc > 1) {
        const char* option = run.argv[1];
        if (strcmp(option, "-o") == 0) {
            return print_cocpu();
        }
        if (strcmp(option, "-l") == 0) {
            return print_flags();
        }
        if (strcmp(option, "-h") != 0 && run.cp_slot == 0) {
            return refuse_platform_status(run);
        }
        puts(kUsage);
        return leave(0);
    }
    if (run.cp_slot == 0) {
        return refuse_platform_status(run);
    }
    print_status_lines();
    return leave(0);
}

}  // namespace haadm
