# hashow: status lines, flag line, co-CPU report, usage and the platform refusal.

=== full report on the active CP of a redundant chassis
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State synchronized
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = 7
@ get_ha_status(134217927) = 0
@ ipcExit()

=== the alias haShow, on the standby CP: no text after Standby, the peer is CP0
scenario: standby
$ haShow
> Local CP (Slot 7, CP1): Standby
> Remote CP (Slot 6, CP0): Active
> HA enabled, Heartbeat Up, HA State synchronized

=== not redundant: the remote text ends the report
scenario: non-redundant
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Not present

=== DUAL_CP clear counts as not redundant
set: state=0x08000047 status.remote=Absent
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Absent

=== the summary follows the state word: out of sync after set state=
set: state=0x080000C3
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State not in sync

=== the remote text follows the standby-healthy bit
set: state=0x000000C7
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Unhealthy
> HA enabled, Heartbeat Up, HA State synchronized

=== a text set by hand stays as set when the state word changes, until status=auto
set: status.summary=kept state=0x080000C3
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> kept
$ chassis-sim set status=auto
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State not in sync

=== after hasyncstop the summary says not in sync
$ hasyncstop
> HA State synchronization has stopped.
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Healthy
> HA enabled, Heartbeat Up, HA State not in sync

=== HA disabled
scenario: ha-disabled
$ hashow
> HA is not enabled. Please enable HA first.

=== HA suppressed
set: state=0x080008C7
$ hashow
> HA supressed

=== state unavailable: nothing printed, status 0
fail: ham_get_state=-1
$ hashow
@ ham_get_state() = -1
@ ipcExit()

=== a failing CP identity call stops the report before anything is printed
fail: getPeerCPSlot=-2
$ hashow
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = -2
@ ipcExit()

=== texts at their full 127 characters
set: status.local=LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL status.summary=
$ hashow
> Local CP (Slot 6, CP0): Active, LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL
> Remote CP (Slot 7, CP1): Standby, Healthy
>

=== no CP slots: the status display form of the platform refusal
scenario: no-slots
$ hashow
> hashow: Not supported on this platform

=== no CP slots and an unknown argument: the refusal, with argv[0] as typed
scenario: no-slots
$ haShow -x
> haShow: Not supported on this platform

=== unknown argument with slots: usage
$ hashow -x
> Usage: hashow

=== -h works without slots
scenario: no-slots
$ hashow -h
> Usage: hashow

=== flag line of 0xC7
set: state=0xC7
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP
@ getHAMStat() = 199
@ ipcExit()

=== flag line of 0 ends in a blank
set: state=0x0
$ hashow -l
> STANDBY HA_DISABLED 

=== flag line without slots, extra arguments ignored
scenario: no-slots
$ hashow -l extra
> ACTIVE HA_DISABLED 

=== co-CPU not supported whatever the heartbeat says
set: state=0x010000C7
$ hashow -o
> Co-CPU is not supported

=== co-CPU heartbeat up
set: cocpu=1 state=0x010000C7
$ hashow -o
> Co-CPU heartbeat is UP
@ getHAMStat() = 16777415
@ cocpu_present() = 1
@ ipcExit()

=== co-CPU heartbeat down, also without slots
scenario: no-slots
set: cocpu=1
$ hashow -o
> Co-CPU heartbeat is DOWN

=== only the first argument is examined
$ hashow -x -l
> Usage: hashow

=== the status texts are those of the CP the command runs on (CHASSIS_SIM_CP), whatever this_cp says
scenario: standby
env: CHASSIS_SIM_CP=0
$ chassis-sim set state=0x000000C7
$ hashow
> Local CP (Slot 6, CP0): Active, Healthy
> Remote CP (Slot 7, CP1): Standby, Unhealthy
> HA enabled, Heartbeat Up, HA State synchronized
