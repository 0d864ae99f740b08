// Reboots and resets: hareboot, chassisreboot, hareset and hashutdown, and the halt
// message that chassisreboot sends first.
#include "haadm/reboots.h"

#include <limits.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "haadm/commands.h"
#include "haadm/guards.h"
#include "haadm/safe_file.h"
#include "haadm/shell.h"
#include "platform/ham.h"
#include "platform/messaging.h"
#include "platform/rasevt.h"
#include "platform/seams.h"
#include "platform/swd.h"
#include "platform/syscon.h"

namespace haadm {
namespace {

constexpr int kModelNoHareboot = 76;
constexpr int kBoardNoHareboot = 157;
constexpr int kModelQtxFirst = 200;
constexpr int kModelQtxSecond = 201;
constexpr int kAuditFastboot = 838;
constexpr int kAuditLockedReboot = 916;

// A command line for the shell; the chassis's programs lie under the platform's root.
// A line that does not fit is not run rather than run cut short; a reboot that does
// not happen leaves the command ending normally.
constexpr size_t kRebootLineLimit = PATH_MAX * 2;

bool dp_upgrade_in_progress(int check) { return check != 1 && check != 9; }

// Hands the active role to the standby CP.
Outcome hareboot_failover()
{
    const auto state = static_cast<uint32_t>(ham_get_state());
    if ((state & kHaReadyForReboot) != kHaReadyForReboot) {
        fputs("hareboot not allowed: The system is not in redundant mode or HA not enabled.\n",
              stderr);
        return early_return(-1);
    }
    sync();
    sync();
    ham_force_failover();
    return leave(0);
}

// Disables HA and fast-boots this CP; if the fast boot returns, the run ends with the
// DP upgrade check's result.
Outcome hareboot_fastboot(int status)
{
    const char* root = platform_root();
    if (getThisCPSlot() == 0) {
        run_shell(kRebootLineLimit, "%s/sbin/hainfo RebootReason Hareboot", root);
        run_shell(kRebootLineLimit, "%s/tarny/cliexec/fastboot", root);
    }
    if ((static_cast<uint32_t>(ham_get_state()) & kHaNoFastboot) != 0) {
        return leave(0);
    }
    ham_notify(kHamNotifyFastboot);
    ham_disable_ha();
    audit("main", kAuditFastboot, 0, 0, kEvtHaReboot, nullptr);
    run_shell(kRebootLineLimit, "%s/usr/bin/yes | %s/tarny/cliexec/fastboot >/dev/null 2>&1", root,
              root);
    return leave(status);
}

// Takes the HA lock, records the reason and asks the HA manager for the reboot. The lock
// is left to the reboot.
Outcome hareboot_locked(bool firmware_download)
{
    const int rc = ha_lock(0, 0, "hareboot");
    if (rc != 0) {
        printf("Can't do hareboot because system is not ready yet or other LS/HA config is in "
               "progress, rc = %d\n",
               rc);
        return leave(rc);
    }
    puts("HA Rebooting ...");
    run_shell(kRebootLineLimit, "%s/sbin/hainfo RebootReason %s >/dev/null 2>&1", platform_root(),
              firmware_download ? "FirmwareDownload" : "Hareboot");
    audit("main", kAuditLockedReboot, 0, 0, kEvtHaReboot, nullptr);
    ham_request(kHamRequestReboot, 0);
    return leave(0);
}

// Pauses the switch services before the locked reboot.
Outcome hareboot_paused()
{
    uint16_t fcr_state = 2;
    isw_get_fcr_state(&fcr_state);
    if (fcr_state == 1) {
        iswPause();
    }
    essPause();
    return hareboot_locked(false);
}

constexpr const char* kChassisRebootQuestion =
    "Warning: This operation will cause the chassis to reboot.\n"
    "Therefore all existing telnet sessions are required \n"
    "to be restarted.\n\n"
    " Are you sure you want to reboot the chassis [y/n]? ";

}  // namespace

Outcome cmd_hareboot(Run& run)
{
    const int status = esm_is_extnHcl_inprog();
    if (dp_upgrade_in_progress(status)) {
        fputs("DP upgrade is in progress.Command not allowed.\n", stderr);
        return early_return(-1);
    }
    if (sysconModel() == kModelNoHareboot || sysconHwBoardModel() == kBoardNoHareboot) {
        return refuse_platform(run);
    }
    if (run.argc == 2 && strcmp(run.argv[1], "-f") == 0) {
        return hareboot_fastboot(status);
    }
    if (getThisCPSlot() != 0) {
        return hareboot_failover();
    }
    if (run.argc == 1) {
        return hareboot_paused();
    }
    if (run.argc == 2 && strcmp(run.argv[1], "-w") == 0) {
        return hareboot_locked(true);
    }
    puts("Usage: hareboot");
    return direct_exit(0);
}

Outcome cmd_chassisreboot(Run& run)
{
    int mode = 3;
    if (run.cp_slot == 0) {
        return refuse_platform(run);
    }
    if ((static_cast<uint32_t>(getHAMStat()) & kHaActive) == 0) {
        return refuse_standby(run);
    }
    bool confirm = true;
    for (int opt; (opt = getopt(run.argc, run.argv, "dmsf")) != -1;) {
        switch (opt) {
        case 'm':
            mode = 1;
            break;
        case 's':
            mode = 2;
            break;
        case 'f':
            confirm = false;
            break;
        default:  // -d and unknown letters change nothing
            break;
        }
    }
    if (confirm && !confirm_char(kChassisRebootQuestion)) {
        puts("Chassis reboot  not confirmed!");
        return direct_exit(1);
    }
    sendqtxhalt();
    reboot_system(&mode);
    return leave(0);
}

Outcome cmd_hareset(Run& run)
{
    if (run.cp_slot == 0) {
        return refuse_platform(run);
    }
    if (run.argc < 2) {
        puts("usage: [-lpc]");
        puts("\t l: reset local cpu ");
        puts("\t p: reset peer cpu ");
        puts("\t c: reset co-cpu ");
        return leave(0);
    }
    const char* what = run.argv[1];
    if (strcmp(what, "-l") == 0) {
        run_shell(kRebootLineLimit, "%s/sbin/hainfo RebootReason hareset", platform_root());
        run_shell(kRebootLineLimit, "%s/tarny/cliexec/fastboot", platform_root());
    } else if (strcmp(what, "-p") == 0) {
        ham_device_request_int(getHAMFd(), kHamResetProcessor, 0);
    } else if (strcmp(what, "-c") == 0) {
        ham_device_request_int(getHAMFd(), kHamResetProcessor, 1);
    }
    return leave(0);
}

Outcome cmd_hashutdown(Run& run)
{
    if (run.cp_slot == 0) {
        return refuse_platform(run);
    }
    swd_init();
    swd_disable();
    swd_exit();
    char path[PATH_MAX];
    const int n = snprintf(path, sizeof path, "%s/var/log/rebootreason", platform_root());
    if (n > 0 && n < static_cast<int>(sizeof path)) {
        empty_regular(path);
    }
    ham_request(kHamRequestShutdown, 0);
    sleep(1);
    return leave(0);
}

}  // namespace haadm

extern "C" void sendqtxhalt(void)
{
    const int model = sysconModel();
    if (model != haadm::kModelQtxFirst && model != haadm::kModelQtxSecond) {
        return;
    }
    IpcAddress address;
    memset(&address, 0, sizeof address);
    strncpy(address.name, "QTXUSIPC", sizeof address.name);
    address.pad = 0;
    address.node = static_cast<uint16_t>(myNode());
    uint32_t reply_word = 0;
    char reply[20] = {};
    const IpcWait wait{30, 0};
    ipcSendRcv(&address, 1, nullptr, 0, &reply_word, reply, &wait);
}
