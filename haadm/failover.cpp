// hafailover: hand the active role to the standby CP of a redundant chassis.
#include <unistd.h>

#include <cstdio>

#include "haadm/commands.h"
#include "haadm/guards.h"
#include "haadm/readiness.h"
#include "haadm/status.h"
#include "platform/ham.h"
#include "platform/rasevt.h"
#include "platform/syscon.h"

namespace haadm {
namespace {

// Every refusal after the status lines ends with this status.
constexpr int kRefused = -1;

// Under the HA lock: the audit entry, the flush of the RAS log and the failover request.
// Returns the failover result, or -1 when the lock is not available.
int run_ha_failover()
{
    open_ras_events();
    if (ha_lock(0, 0, "hafailover") != 0) {
        put_words(Test::lock_free, stderr);
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
        put_words(Test::standby_healthy, stderr);
        return leave(kRefused);
    }
    Test failed{};
    if (first_ha_state_refusal(static_cast<uint32_t>(ham_get_state()), forced, failed)) {
        // Suppressed HA has been said by the status lines.
        if (failed != Test::not_suppressed) {
            put_words(failed, stderr);
        }
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
    ReadinessFacts facts{};
    facts.dp_upgrade = esm_is_extnHcl_inprog();
    if (!passes(Test::dp_upgrade, facts)) {
        put_words(Test::dp_upgrade, stderr);
        return early_return(-1);
    }
    facts.flags = getHAMStat();
    if (!passes(Test::active, facts)) {
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
