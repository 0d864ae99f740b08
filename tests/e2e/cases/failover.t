# hafailover: the checks in their order, the character-form question, the HA lock
# around the audit entry and the failover request, and the state left behind.

=== full failover: every call in order; afterwards this CP is the standby
$ hafailover
< y
@@ cp-status 'Active, Healthy' 'Standby, Healthy' Up synchronized
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
$ hashow -l
> STANDBY REDUNDANT HA_ENABLED DUAL_CP
$ hafailover
> WARNING: Command not allowed on the standby CP : hafailover 
? 1

=== failover request failing with 256: no done, status 255, and the lock is free again
fail: forceFailover=256
$ hafailover --force
@@ cp-status 'Active, Healthy' 'Standby, Healthy' Up synchronized
> Forcing Failover ...
@@ failover-warning
? 255
@ ...
@ set_chassis_context("hafailover", "force", 2, ["hafailover","--force"]) = 0
@ ha_lock(0, 0, "hafailover") = 0
@ forceFailover() = 256
@ ha_unlock(0) = 0
$ chassis-sim fail forceFailover=3
$ hafailover -forc
@@ cp-status 'Active, Healthy' 'Standby, Healthy' Up synchronized
> Forcing Failover ...
@@ failover-warning
? 3
@ ...
@ set_chassis_context("hafailover", "force", 2, ["hafailover","-forc"]) = 0
@ forceFailover() = 3
@ ha_unlock(0) = 0
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
@! ipcExit

=== unhealthy standby: refused after the status lines, also when forced
set: state=0x000000C7
$ hafailover
@@ cp-status 'Active, Healthy' 'Standby, Unhealthy' Up synchronized
@@ unhealthy-standby
? 255
$ hafailover -f
@@ cp-status 'Active, Healthy' 'Standby, Unhealthy' Up synchronized
@@ unhealthy-standby
? 255

=== HA lock held by another operation: refused, the RAS event library closed
set: lock=4242,9,1700000000,hareboot
$ hafailover -f
@@ cp-status 'Active, Healthy' 'Standby, Healthy' Up synchronized
@@ failover-warning
! haFailover: can't failover because system is not ready yet or other LS/HA config is in progress.
? 255
@ ...
@ rasevt_init("chassis", 0, "HAADM") = 0
@ ha_lock(0, 0, "hafailover") = 1
@ rasevt_exit() = 0
@ ipcExit()
@! forceFailover|rasevt_log2

=== RAS event library that cannot be opened: reported, the command goes on
fail: rasevt_init=-1 ha_lock=1
$ hafailover -f
@@ cp-status 'Active, Healthy' 'Standby, Healthy' Up synchronized
@@ failover-warning
! raslog_init failed for haadm
! haFailover: can't failover because system is not ready yet or other LS/HA config is in progress.
? 255

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
@! ipcExit
