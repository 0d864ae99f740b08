# chassis-sim restart CP: the platform brings a CP back up and runs /sbin/hainfo init there.

=== the active CP restarts: its lock is freed, the standby takes over, the reason is reported
set: lock=4242,7,1700000000,hareboot
write: var/rb_reason = Hareboot @ 03152024-141502
write: mnt/var/rb_reason = Hareboot @ 03152024-141502
$ chassis-sim restart 0
@ restart(0, "lock freed", 4242) = 0
@ restart(0, "CP1 took over") = 0
@ restart(0, "up as standby") = 0
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "Hareboot @ 03152024-141502") = 0
@ getHAMFd() = 1000
@ ioctl("ham", 1074058781, {"reason":"Hareboot @ 03152024-141502","word":0}) = 0
@ pd_init() = 0
@ ipcExit()
@ restart(0, "/sbin/hainfo init") = 0
= var/rb_reason:
= mnt/var/rb_reason:
$ hainfo show
> Last Reboot Reason:[Hareboot @ 03152024-141502]
$ hashow -l
> STANDBY REDUNDANT HA_ENABLED DUAL_CP
$ hachecklock
> Lock is free
$ chassis-sim journal --call restart --last 1 --json
>~ \{"args":\[0,"/sbin/hainfo init"\],"call":"restart","cp":0,"pid":\d+,"ret":0\}

=== the standby CP restarts without a recorded reason; the lock held on the other CP stays
set: lock=4242,7,1700000000,hareboot
$ chassis-sim restart 1
@ restart(1, "up as standby") = 0
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "OCP or Silent Reboot") = 0
@ getHAMFd() = 1000
@ ioctl("ham", 1074058781, {"reason":"","word":0}) = 0
@ pd_init() = 0
@ ipcExit()
@ restart(1, "/sbin/hainfo init") = 0
= cp1/var/rb_reason:
= cp1/mnt/var/rb_reason:
= var/rb_reason
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP
$ chassis-sim journal --call restart --cp 1
> restart(1, "up as standby") = 0
> restart(1, "/sbin/hainfo init") = 0
$ hainfo show
> Last Reboot Reason:[]
$ hachecklock
> Lock occupied: pid 4242, trans 7, cmd hareboot, time Tue Nov 14 22:13:20 2023
> 

=== the active CP of a chassis without a standby comes up active again; a lock of CP1 stays
scenario: non-redundant
set: this_cp=1
set: lock=99,2,1700000000,hafailover
set: this_cp=0
write: var/rb_reason = Reset
$ chassis-sim restart 0
@ restart(0, "up as active") = 0
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "OCP or Silent Reboot") = 0
@ getHAMFd() = 1000
@ ioctl("ham", 1074058781, {"reason":"OCP or Silent Reboot","word":0}) = 0
@ pd_init() = 0
@ ipcExit()
@ restart(0, "/sbin/hainfo init") = 0
= var/rb_reason:
$ chassis-sim journal --call restart --json --cp 1
$ as:hachecklock
>~ Lock occupied: pid 99, .*
> 

=== the CP that restarts is the one named, not the one the commands run on
scenario: standby
set: lock=4242,7,1700000000,hareset
write: cp1/var/rb_reason = hareset
write: var/rb_reason = Reset
$ chassis-sim restart 1
@ restart(1, "lock freed", 4242) = 0
@ restart(1, "up as standby") = 0
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "hareset") = 0
@ getHAMFd() = 1000
@ ioctl("ham", 1074058781, {"reason":"hareset","word":0}) = 0
@ pd_init() = 0
@ ipcExit()
@ restart(1, "/sbin/hainfo init") = 0
$ hashow -l
> STANDBY REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== each CP has its own reason files: CP0's reason survives CP1's restart and is CP0's to report
write: var/rb_reason = hareset @ 11142023-221320
$ chassis-sim restart 1
@ restart(1, "up as standby") = 0
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "OCP or Silent Reboot") = 0
@ getHAMFd() = 1000
@ ioctl("ham", 1074058781, {"reason":"","word":0}) = 0
@ pd_init() = 0
@ ipcExit()
@ restart(1, "/sbin/hainfo init") = 0
= var/rb_reason: hareset @ 11142023-221320
$ chassis-sim set this_cp=1
$ hainfo show
> Last Reboot Reason:[]
$ chassis-sim set this_cp=0
$ chassis-sim restart 0
@ restart(0, "CP1 took over") = 0
@ restart(0, "up as standby") = 0
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "hareset @ 11142023-221320") = 0
@ getHAMFd() = 1000
@ ioctl("ham", 1074058781, {"reason":"hareset @ 11142023-221320","word":0}) = 0
@ pd_init() = 0
@ ipcExit()
@ restart(0, "/sbin/hainfo init") = 0
= var/rb_reason:
$ hainfo show
> Last Reboot Reason:[hareset @ 11142023-221320]

=== a chassis without CP slots has no CP1 to restart
scenario: no-slots
$ chassis-sim restart 1
! chassis-sim: refusing restart 1: a chassis without CP slots has only CP0
? 1
$ chassis-sim journal

=== a start-up step that fails is reported and ends restart with status 1
fail: ipcInit=1
$ chassis-sim restart 0
! IpcInit failed .Error code = 1
! chassis-sim: /sbin/hainfo init on CP0 ended with status 1
? 1
$ chassis-sim journal --call restart
> restart(0, "CP1 took over") = 0
> restart(0, "up as standby") = 0
> restart(0, "/sbin/hainfo init") = 1

=== restart needs one CP, 0 or 1
$ chassis-sim restart 2
! chassis-sim: restart needs the CP: 0 or 1
! usage: chassis-sim init DIR [--scenario NAME | --from FILE|-] [--emulator 'COMMAND ...']
!        chassis-sim set KEY=VALUE ...
!        chassis-sim fail CALL=RESULT ... | --clear
!        chassis-sim show [--json]
!        chassis-sim journal [--call NAME]... [--pid N] [--cp N] [--last N] [--json]
!        chassis-sim journal --clear
!        chassis-sim restart CP
!        chassis-sim -h | --help | --version
! The chassis is CHASSIS_SIM_ROOT, else the default chassis.
? 2
$ chassis-sim journal
