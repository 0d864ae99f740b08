# hashow: status lines, flag line, co-CPU report, usage and the platform refusal.

=== full report on the active CP of a redundant chassis
$ hashow
@@ cp-status 'Active, Healthy' 'Standby, Healthy' Up synchronized
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = 7
@ get_ha_status(134217927) = 0

=== a failing CP identity call stops the report before anything is printed
fail: getPeerCPSlot=-2
$ hashow
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = -2

=== texts at their full 127 characters
set: status.local=LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL status.summary=
$ hashow
> Local CP (Slot 6, CP0): Active, LLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLLL
> Remote CP (Slot 7, CP1): Standby, Healthy
>

=== no CP slots and an unknown argument: the refusal, with argv[0] as typed
scenario: no-slots
$ haShow -x
> haShow: Not supported on this platform

=== unknown argument with slots: usage
$ hashow -x
> Usage: hashow

=== flag line of 0 ends in a blank
set: state=0x0
$ hashow -l
> STANDBY HA_DISABLED 

=== co-CPU heartbeat up
set: cocpu=1 state=0x010000C7
$ hashow -o
> Co-CPU heartbeat is UP
@ getHAMStat() = 16777415
@ cocpu_present() = 1

=== co-CPU heartbeat down, also without slots
scenario: no-slots
set: cocpu=1
$ hashow -o
> Co-CPU heartbeat is DOWN
