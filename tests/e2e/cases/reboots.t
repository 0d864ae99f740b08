# hareboot, chassisreboot, hareset, hashutdown and the halt message before a chassis reboot.

# ---- hareboot: checks before the path is chosen -------------------------------------

=== hareboot: a DP upgrade in progress stops it before anything else
set: dp_upgrade=3
$ hareboot -f
! DP upgrade is in progress.Command not allowed.
? 255
@ esm_is_extnHcl_inprog() = 3
@! ipcExit

=== hareboot: system model 76 is refused without asking for the board
set: model=76
$ hareboot
> hareboot Not supported on this platform
@ esm_is_extnHcl_inprog() = 1
@ sysconModel() = 76

=== hareboot: board model 157 is refused, also on a platform without CP slots
scenario: no-slots
set: board=157
$ haReboot -w
> haReboot Not supported on this platform
@ esm_is_extnHcl_inprog() = 1
@ sysconModel() = 100
@ sysconHwBoardModel() = 157

# ---- hareboot on a CP-based chassis: failover -----------------------------------------

=== hareboot -w and two arguments take the failover path on a CP-based chassis
$ haReboot -w
@ ...
@ ham_force_failover() = 0
= var/rb_reason

=== hareboot refuses without SYNCHRONIZED
set: state=0x080000C3
$ hareboot
! hareboot not allowed: The system is not in redundant mode or HA not enabled.
? 255

=== hareboot -f on a CP-based chassis records no reason; the status is the DP check's
$ hareboot -f
? 1
@ ...
@ ham_notify(25) = 0
@ ham_disable_ha() = 0
@ rasevt_log2("haadm", "main", 838, "QMZ", 0, 0, 2818064) = 0
@ fastboot(0, "CP1 took over") = 0
@ exec("/tarny/cliexec/fastboot") = 0
= var/rb_reason
$ hashow -l
> STANDBY REDUNDANT HA_DISABLED DUAL_CP

=== hareboot -f ends with 9 when the DP check said 9
set: dp_upgrade=9
$ hareboot -f
? 9

=== hareboot -f stops after the state test when bit 0x00100000 is set
set: state=0x081000C7
$ hareboot -f
@ ...
@ ham_get_state() = 135266503
@! ham_notify|ham_disable|fastboot

=== hareboot -f without CP slots records Hareboot and fast-boots twice
scenario: no-slots
$ hareboot -f
? 1
@ ...
@ notifyHAM(24) = 0
@ exec("/tarny/cliexec/fastboot") = 0
@ ham_notify(25) = 0
@ ham_disable_ha() = 0
@ rasevt_log2("haadm", "main", 838, "QMZ", 0, 0, 2818064) = 0
@ exec("/tarny/cliexec/fastboot") = 0
$ hainfo init
@@ report-stamped Hareboot

# ---- hareboot without CP slots: pause and lock paths -----------------------------------

=== hareboot pauses the FCR service when it is in state 1
scenario: no-slots
set: fcr_state=1
$ hareboot
> HA Rebooting ...
@ ...
@ isw_get_fcr_state(2) = 0
@ iswPause() = 0
@ essPause() = 0
@ ha_lock(0, 0, "hareboot") = 0

=== hareboot -w records FirmwareDownload; the manager gets its first 31 characters
scenario: no-slots
$ hareboot -w
> HA Rebooting ...
$ hainfo init
@ ...
@~ rasevt_log2\(.*, "FirmwareDownload @ \d{8}-\d{6}"\) = 0
@~ ioctl\("ham", 1074058781, \{"reason":"FirmwareDownload @ \d{8}-\d{3}","word":0\}\) = 0

=== hareboot: the lock held elsewhere ends it with the lock's result
scenario: no-slots
set: lock=4321,7,1700000000,hafailover
write: var/rb_reason =
$ hareboot -w
> Can't do hareboot because system is not ready yet or other LS/HA config is in progress, rc = 1
? 1
@ ...
@ ha_lock(0, 0, "hareboot") = 1
@! notifyHAM|ham_request
= var/rb_reason:

=== hareboot: a lock result whose low eight bits are zero still ends as a failure
scenario: no-slots
fail: ha_lock=256
$ hareboot
> Can't do hareboot because system is not ready yet or other LS/HA config is in progress, rc = 256
? 255
@ ...
@ isw_get_fcr_state(2) = 0
@ essPause() = 0
@ ha_lock(0, 0, "hareboot") = 256

=== hareboot with other arguments without CP slots prints its usage and exits at once
scenario: no-slots
$ hareboot -x
> Usage: hareboot
@ ...
@ getThisCPSlot() = 0
@! ipcExit|isw_get_fcr_state|ha_lock
$ hareboot -w -f
> Usage: hareboot

# ---- chassisreboot ----------------------------------------------------------------------

=== chassisreboot without CP slots is refused
scenario: no-slots
$ chassisreboot -f
> chassisreboot Not supported on this platform
@ ipcExit()

=== chassisreboot on the standby CP is refused
scenario: standby
$ chassisReboot -f
> WARNING: Command not allowed on the standby CP : chassisReboot
? 1
@ getHAMStat() = 134217926

=== chassisreboot asks; y confirms
$ chassisreboot
< y
@@ reboot-warning
!-  Are you sure you want to reboot the chassis [y/n]? 
@ getHAMStat() = 134217927
@ sysconModel() = 100
@ reboot_system(3) = 0

=== chassisreboot: any answer but one beginning with y or Y is no, and it exits at once
$ chassisreboot -m
< no
@@ reboot-warning
!-  Are you sure you want to reboot the chassis [y/n]? 
> Chassis reboot  not confirmed!
? 1
@ getHAMStat() = 134217927
@! ipcExit

=== chassisreboot: the last of -m and -s wins; -d changes nothing
$ chassisreboot -m -f
@ ...
@ reboot_system(1) = 0
$ chassisreboot -f -m -s
@ ...
@ reboot_system(2) = 0
$ chassisreboot -s -d -f
@ ...
@ reboot_system(2) = 0
$ chassisreboot -fsm extra
@ ...
@ reboot_system(1) = 0

=== chassisreboot: an unknown letter gets the parser's word and changes nothing
$ chassisreboot -x -f
! chassisreboot: invalid option -- 'x'
@ getHAMStat() = 134217927
@ sysconModel() = 100
@ reboot_system(3) = 0

# ---- the halt message before the chassis reboot -----------------------------------------

=== model 200 sends the halt message to QTXUSIPC, then reboots
set: model=200
$ chassisreboot -f
@ getHAMStat() = 134217927
@ sysconModel() = 200
@ myNode() = 1
@ ipcSendRcv({"name":"QTXUSIPC","node":1,"pad":0}, 1, null, 0, {"sec":30,"usec":0}) = 0
@ reboot_system(3) = 0

=== hareset without CP slots is refused
scenario: no-slots
$ hareset -p
> hareset Not supported on this platform
@ ipcExit()

=== hareset without arguments prints its usage
$ hareset
> usage: [-lpc]
> \t l: reset local cpu 
> \t p: reset peer cpu 
> \t c: reset co-cpu 
@ ipcExit()

=== hareset -p resets the peer CP, -c the co-CPU; later arguments are ignored
$ hareset -p extra
@ getHAMFd() = 1000
@ ioctl("ham", 536925719, 0) = 0
$ hareset -c
@ getHAMFd() = 1000
@ ioctl("ham", 536925719, 1) = 0

=== hareset: any other first argument ends silently
$ hareset -lp
@ ipcExit()
$ hareset ""
@ ipcExit()

# ---- hashutdown ---------------------------------------------------------------------------

=== hashutdown without CP slots is refused
scenario: no-slots
write: var/log/rebootreason = kept
$ hashutdown
> hashutdown Not supported on this platform
@ ipcExit()
= var/log/rebootreason: kept

=== hashutdown disables the watchdog, empties /var/log/rebootreason, asks for request 3
write: var/log/rebootreason = earlier text
write: var/rb_reason = Hareboot @ 03152024-141502
$ hashutdown any arguments
@ swd_init() = 0
@ swd_disable() = 0
@ swd_exit() = 0
@ ham_request(3, 0) = 0
= var/log/rebootreason:
= var/rb_reason: Hareboot @ 03152024-141502

=== hashutdown creates /var/log/rebootreason when missing
$ hashutdown
= var/log/rebootreason:
