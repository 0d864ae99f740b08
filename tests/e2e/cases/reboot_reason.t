# The reboot reason store across processes: recording, the first reason winning,
# reporting after a restart with the fall-back files, and what the HA manager gets.

=== cycle: hareboot records, a later record is refused, init reports and empties
scenario: no-slots
$ hareboot
> HA Rebooting ...
@ esm_is_extnHcl_inprog() = 1
@ sysconModel() = 100
@ sysconHwBoardModel() = 10
@ getThisCPSlot() = 0
@ isw_get_fcr_state(2) = 0
@ essPause() = 0
@ ha_lock(0, 0, "hareboot") = 0
@ notifyHAM(24) = 0
@ ipcExit()
@ rasevt_init_check() = 0
@ rasevt_init("chassis", 0, "HAADM") = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("haadm", "main", 916, "QMZ", 0, 0, 2818064) = 0
@ rasevt_exit() = 0
@ ham_request(2, 0) = 0
$ hainfo RebootReason FirmwareDownload
@ ipcExit()
$ hainfo init
@@ report-stamped Hareboot
= var/rb_reason:
= mnt/var/rb_reason:
$ hainfo RebootReason FirmwareDownload
@ notifyHAM(24) = 0

=== cycle with a text free of time: 63 characters are read back, 31 reach the manager
$ hainfo RebootReason xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
@ notifyHAM(24) = 0
= var/rb_reason: xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
$ hainfo init
@@ report xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx
= var/rb_reason:
$ hainfo show
> Last Reboot Reason:[xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx]
@ ham_get_rb_reason() = 0

=== a recorded reason is reported unchanged on the CP
write: var/rb_reason = Hareboot @ 03152024-141502
write: mnt/var/rb_reason = Y
write: tmp/rb_reason.alt = X
$ hainfo init
@@ report 'Hareboot @ 03152024-141502' 'Hareboot @ 03152024-141502'
= var/rb_reason:
= mnt/var/rb_reason:
= tmp/rb_reason.alt: X
$ hainfo show
> Last Reboot Reason:[Hareboot @ 03152024-141502]

=== and on the co-CPU
set: on_cocpu=1
write: var/rb_reason = Hareboot @ 03152024-141502
$ hainfo init
@ ...
@ rasevt_log2("reboot", "report_reboot_reason", 114, "QMZ", 0, 0, 271253524, "Hareboot @ 03152024-141502") = 0
@ ioctl("ham", 1074058781, {"reason":"Hareboot @ 03152024-141502","word":0}) = 0

=== Reset with an alternative file: its text is reported
write: var/rb_reason = Reset\n
write: tmp/rb_reason.alt = X
write: mnt/var/rb_reason = Y
$ hainfo init
@@ report X X
= var/rb_reason:
= mnt/var/rb_reason:
= tmp/rb_reason.alt: X

=== Reset without an alternative file on the CP: a silent reboot for log and manager
write: var/rb_reason = Reset\n
write: mnt/var/rb_reason = Y
$ hainfo init
@@ report 'OCP or Silent Reboot' 'OCP or Silent Reboot'
= var/rb_reason:
= mnt/var/rb_reason:
= tmp/rb_reason.alt

=== Reset without an alternative file on the co-CPU: the text as read, newline and all
set: on_cocpu=1
write: var/rb_reason = Reset\n
$ hainfo init
@ ...
@ rasevt_log2("reboot", "report_reboot_reason", 114, "QMZ", 0, 0, 271253524, "Reset\n") = 0
@ ioctl("ham", 1074058781, {"reason":"Reset\n","word":0}) = 0

=== no files on the CP: the log says silent reboot, the manager gets an empty reason
$ hainfo init
@@ report 'OCP or Silent Reboot' ''
= var/rb_reason:
= mnt/var/rb_reason:
= tmp/rb_reason.alt
$ hainfo show
> Last Reboot Reason:[]

=== no files on the co-CPU: the log says Reset, the manager gets an empty reason
set: on_cocpu=1
$ hainfo init
@ ...
@ rasevt_log2("reboot", "report_reboot_reason", 114, "QMZ", 0, 0, 271253524, "Reset") = 0
@ ioctl("ham", 1074058781, {"reason":"","word":0}) = 0
= var/rb_reason:
= mnt/var/rb_reason:
