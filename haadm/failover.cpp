// hafailover: hand the active role to the standby CP of a redundant chassis.
#include <unistd.h>

#include <cstdio>

#include "haadm/commands.h"
#include "haadm/guards.h"
#include "haadm/status.h"
#include "platform/ham.h"
#include "platform/rasevt.h"
#include "platform/syscon.h"

namespace haadm {
namespace {

// Every refusal after the status lines ends with this status.
constexpr int kRefused = -1;

bool dp_upgrade_in_progress()
{
    const int rc = esm_is_extnHcl_inprog();
    return rc != 1 && rc != 9;
}

// Under the HA lock: the audit entry, the flush of the RAS log and the failover request.
// Returns the failover result, or -1 when the lock is not available.
int run_ha_failover()
{
    open_ras_events();
    if (ha_lock(0, 0, "hafailover") != 0) {
        fputs("haFailover: can't failover because system is not ready yet or other LS/HA "
              "config is in progress.\n",
              stderr);
        rasevt_exit();
        return kRefused;
    }
    puts("Forcing Failover ...");
    fflush(stdout);  // the failover may reset this CP before the run ends
    RasEvtHandle handle{};
    rasevt_gethndl_internal(&handle);
    rasevt_log2("haadm", "run_ha_failover", 1179, "QMZ", handle, 0, 0x80, kEvtFailover);
    sleep(2);  // give the log daemon time to take the entry before the flush
    raslogd_fsync(1, "hafailover");
    const int rc = forceFailover();
    ha_unlock(0);
    rasevt_exit();
    if (rc == 0) {
        puts("done");
    }
    return rc;
}

// The HA tests after the status lines; nullopt when the failover may go ahead.
std::optional<Outcome> refuse_ha_state(bool forced)
{
    if ((static_cast<uint32_t>(getHAMStat()) & kHaStandbyHealthy) == 0) {
        fputs("Warning: This command is being run on a control processor(CP)\n"
              "based system. One or more devices on the standby CP is not healthy.\n"
              "Please fix the error before you do failover.\n",
              stderr);
        return leave(kRefused);
    }
    const auto state = static_cast<uint32_t>(ham_get_state());
    if ((state & kHaEnabled) == 0) {
        fputs("haFailover: HA not enabled. Please enable HA first.\n", stderr);
        return leave(kRefused);
    }
    if ((state & kHaSuppressed) != 0) {
        return leave(kRefused);  // the status lines have said so
    }
    if ((state & kHaRedundant) == 0) {
        fputs("haFailover not allowed: the system is not in redundant mode.\n", stderr);
        return leave(kRefused);
    }
    if ((state & kHaSynchronized) == 0 && !forced) {
        fputs("haFailover not allowed: HA state is not synchronized.\n", stderr);
        return leave(kRefused);
    }
    return std::nullopt;
}

}  // namespace

Outcome cmd_hafailover(Run& run)
{
    if (auto refused = rbac_open_and_check(run)) {
        return *refused;
    }
    if (run.cp_slot == 0) {
        return refuse_platform(run);
    }
    if (dp_upgrade_in_progress()) {
        fputs("DP upgrade is in progress. Command not allowed.\n", stderr);
        return early_return(-1);
    }
    if ((static_cast<uint32_t>(getHAMStat()) & kHaActive) == 0) {
        return refuse_standby_failover();
    }
    bool forced = false;
    if (auto ended = parse_force_help(run, "hafailover", forced)) {
        return *ended;
    }
    print_status_lines();
    if (auto refused = refuse_ha_state(forced)) {
        return *refused;
    }
    fputs("Warning: This command is being run on a redundant control processor(CP)\n"
          "system, and this operation will cause the active CP to reset.\n"
          "Therefore all existing telnet sessions are required to be restarted.\n\n",
          stderr);
    if (!forced && !confirm_char("Are you sure you want to fail over to the standby CP [y/n]? ")) {
        puts("failover not confirmed!");
        return leave(kRefused);
    }
    return leave(run_ha_failover());
}

}  // namespace haadm
