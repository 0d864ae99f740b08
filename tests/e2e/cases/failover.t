# hafailover: the checks in their order, the character-form question, the HA lock
# around the audit entry and the failover request, and the state left behind.

=== full failover: every call in order; afterwards this CP is the standby
$ hafailover
< y
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
> Forcing Failover ...
> done
@@ failover-warning
!- Are you sure you want to fail over to the standby CP [y/n]? 
@@ permission hafailover
@ esm_is_extnHcl_inprog() = 1
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = 7
@ get_ha_status(134217927) = 0
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ rasevt_init("chassis", 0, "HAADM") = 0
@ ha_lock(0, 0, "hafailover") = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("haadm", "run_ha_failover", 1179, "QMZ", 0, 128, 4259847) = 0
@ raslogd_fsync(1, "hafailover") = 0
@ forceFailover() = 0
@ ha_unlock(0) = 0
@ rasevt_exit() = 0
@ ipcExit()
$ hashow -l
> STANDBY REDUNDANT HA_ENABLED DUAL_CP
$ hafailover
> WARNING: Command not allowed on the standby CP : hafailover 
? 1

=== forced on a state that is not synchronised: no question, the failover goes ahead
set: state=0x080000C3
$ haFailover -f
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State not in sync
> Forcing Failover ...
> done
@@ failover-warning
$ hashow -l
> STANDBY REDUNDANT HA_ENABLED DUAL_CP

=== failover request failing with 256: no done, status 255, and the lock is free again
fail: forceFailover=256
$ hafailover --force
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
> Forcing Failover ...
@@ failover-warning
? 255
@ rbac_init(2) = 0
@ esm_is_extnHcl_inprog() = 1
@ getHAMStat() = 134217927
@ geps_app_name() = "CLI"
@ set_chassis_context("hafailover", "force", 2, ["hafailover","--force"]) = 0
@ rbac_cli_opt_check("hafailover", "force") = 0
@ rbac_context_type_handler("hafailover", "force") = 0
@ rbac_close() = 0
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = 7
@ get_ha_status(134217927) = 0
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ rasevt_init("chassis", 0, "HAADM") = 0
@ ha_lock(0, 0, "hafailover") = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("haadm", "run_ha_failover", 1179, "QMZ", 0, 128, 4259847) = 0
@ raslogd_fsync(1, "hafailover") = 0
@ forceFailover() = 256
@ ha_unlock(0) = 0
@ rasevt_exit() = 0
@ ipcExit()
$ chassis-sim fail forceFailover=3
$ hafailover -forc
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
> Forcing Failover ...
@@ failover-warning
? 3
@ rbac_init(2) = 0
@ esm_is_extnHcl_inprog() = 1
@ getHAMStat() = 134217927
@ geps_app_name() = "CLI"
@ set_chassis_context("hafailover", "force", 2, ["hafailover","-forc"]) = 0
@ rbac_cli_opt_check("hafailover", "force") = 0
@ rbac_context_type_handler("hafailover", "force") = 0
@ rbac_close() = 0
@~ (ham_get_state|getThisCPSlot|getThisCPNum|getPeerCPSlot|get_ha_status)\(.*
@~ (ham_get_state|getThisCPSlot|getThisCPNum|getPeerCPSlot|get_ha_status)\(.*
@~ (ham_get_state|getThisCPSlot|getThisCPNum|getPeerCPSlot|get_ha_status)\(.*
@~ (ham_get_state|getThisCPSlot|getThisCPNum|getPeerCPSlot|get_ha_status)\(.*
@~ (ham_get_state|getThisCPSlot|getThisCPNum|getPeerCPSlot|get_ha_status)\(.*
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ rasevt_init("chassis", 0, "HAADM") = 0
@ ha_lock(0, 0, "hafailover") = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("haadm", "run_ha_failover", 1179, "QMZ", 0, 128, 4259847) = 0
@ raslogd_fsync(1, "hafailover") = 0
@ forceFailover() = 3
@ ha_unlock(0) = 0
@ rasevt_exit() = 0
@ ipcExit()
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== DP upgrade in progress: refused before the standby test, early return with 255
scenario: standby
set: dp_upgrade=0
$ hafailover
! DP upgrade is in progress. Command not allowed.
? 255
$ chassis-sim set dp_upgrade=2
$ hafailover -f
! DP upgrade is in progress. Command not allowed.
? 255
@ rbac_init(2) = 0
@ esm_is_extnHcl_inprog() = 2

=== DP upgrade values 1 and 9 both mean none is in progress
scenario: standby
set: dp_upgrade=9
$ hafailover
> WARNING: Command not allowed on the standby CP : hafailover 
? 1

=== unhealthy standby: refused after the status lines, also when forced
set: state=0x000000C7
$ hafailover
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Unhealthy
> HA enabled, Heartbeat Up, HA State synchronized
! Warning: This command is being run on a control processor(CP)
! based system. One or more devices on the standby CP is not healthy.
! Please fix the error before you do failover.
? 255
$ hafailover -f
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Unhealthy
> HA enabled, Heartbeat Up, HA State synchronized
! Warning: This command is being run on a control processor(CP)
! based system. One or more devices on the standby CP is not healthy.
! Please fix the error before you do failover.
? 255

=== unhealthy standby wins over HA not enabled
set: state=0x00000083
$ hafailover
> HA is not enabled. Please enable HA first.
! Warning: This command is being run on a control processor(CP)
! based system. One or more devices on the standby CP is not healthy.
! Please fix the error before you do failover.
? 255

=== HA not enabled, forced or not
scenario: ha-disabled
$ hafailover
> HA is not enabled. Please enable HA first.
! haFailover: HA not enabled. Please enable HA first.
? 255
$ hafailover -f
> HA is not enabled. Please enable HA first.
! haFailover: HA not enabled. Please enable HA first.
? 255

=== HA suppressed: only the status lines say so
set: state=0x080008C7
$ hafailover -f
> HA supressed
? 255

=== state unavailable: tested bit by bit, it reads as suppressed
fail: ham_get_state=-1
$ hafailover -f
? 255

=== not redundant, forced or not
scenario: non-redundant
$ hafailover
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Not present
! haFailover not allowed: the system is not in redundant mode.
? 255
$ hafailover -f
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Not present
! haFailover not allowed: the system is not in redundant mode.
? 255

=== not synchronised and not forced
set: state=0x080000C3
$ hafailover
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State not in sync
! haFailover not allowed: HA state is not synchronized.
? 255

=== character-form answers that refuse: n, a leading blank, an empty line, end of input
$ hafailover
< n
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
> failover not confirmed!
@@ failover-warning
!- Are you sure you want to fail over to the standby CP [y/n]? 
? 255
@@ permission hafailover
@ esm_is_extnHcl_inprog() = 1
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = 7
@ get_ha_status(134217927) = 0
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ ipcExit()
$ hafailover
<  y
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
> failover not confirmed!
@@ failover-warning
!- Are you sure you want to fail over to the standby CP [y/n]? 
? 255
$ hafailover
<
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
> failover not confirmed!
@@ failover-warning
!- Are you sure you want to fail over to the standby CP [y/n]? 
? 255
$ hafailover
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
> failover not confirmed!
@@ failover-warning
!- Are you sure you want to fail over to the standby CP [y/n]? 
? 255
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== character-form answers that confirm: yes, Y (the lock refused, so nothing fails over)
fail: ha_lock=1
$ hafailover
< yes
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
@@ failover-warning
!- Are you sure you want to fail over to the standby CP [y/n]? 
! haFailover: can't failover because system is not ready yet or other LS/HA config is in progress.
? 255
@@ permission hafailover
@ esm_is_extnHcl_inprog() = 1
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = 7
@ get_ha_status(134217927) = 0
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ rasevt_init("chassis", 0, "HAADM") = 0
@ ha_lock(0, 0, "hafailover") = 1
@ rasevt_exit() = 0
@ ipcExit()
$ hafailover
< Y
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
@@ failover-warning
!- Are you sure you want to fail over to the standby CP [y/n]? 
! haFailover: can't failover because system is not ready yet or other LS/HA config is in progress.
? 255

=== HA lock held by another operation: refused, the RAS event library closed
set: lock=4242,9,1700000000,hareboot
$ hafailover -f
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
@@ failover-warning
! haFailover: can't failover because system is not ready yet or other LS/HA config is in progress.
? 255
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@~ .*
@ rasevt_init("chassis", 0, "HAADM") = 0
@ ha_lock(0, 0, "hafailover") = 1
@ rasevt_exit() = 0
@ ipcExit()

=== RAS event library that cannot be opened: reported, the command goes on
fail: rasevt_init=-1 ha_lock=1
$ hafailover -f
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
@@ failover-warning
! raslog_init failed for haadm
! haFailover: can't failover because system is not ready yet or other LS/HA config is in progress.
? 255

=== a word that is no option: no permission check at all, the word is ignored
$ hafailover x
< n
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
> failover not confirmed!
@@ failover-warning
!- Are you sure you want to fail over to the standby CP [y/n]? 
? 255
@ rbac_init(2) = 0
@ esm_is_extnHcl_inprog() = 1
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = 7
@ get_ha_status(134217927) = 0
@ getHAMStat() = 134217927
@ ham_get_state() = 134217927
@ ipcExit()

=== options act in order: -f -h checks force, then help, and prints the usage
$ hafailover -f -h
> Usage: hafailover
> Options :
> -f | -force\tForcing to do hafailover
> -h | -help\tDisplay command usage
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== an unknown option: the parser's message, invalid option and the usage
$ hafailover -x
! hafailover: unrecognized option '-x'
>
> Invalid option
> Usage: hafailover
> Options :
> -f | -force\tForcing to do hafailover
> -h | -help\tDisplay command usage
@ rbac_init(2) = 0
@ esm_is_extnHcl_inprog() = 1
@ getHAMStat() = 134217927
