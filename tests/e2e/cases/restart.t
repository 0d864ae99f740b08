# chassis-sim restart CP: the platform brings a CP back up and runs /sbin/hainfo init there.

=== the active CP restarts: its lock is freed, the standby takes over, the reason is reported
set: lock=4242,7,1700000000,hareboot
write: var/rb_reason = Hareboot @ 03152024-141502
write: mnt/var/rb_reason = Hareboot @ 03152024-141502
$ chassis-sim restart 0
@ restart(0, "boot", 1) = 0
@ restart(0, "lock freed", 4242) = 0
@ restart(0, "CP1 took over") = 0
@ restart(0, "up as standby") = 0
@@ report 'Hareboot @ 03152024-141502' 'Hareboot @ 03152024-141502'
@ restart(0, "/sbin/hainfo init") = 0
= var/rb_reason:
= mnt/var/rb_reason:
$ hainfo show
> Last Reboot Reason:[Hareboot @ 03152024-141502]
$ hashow -l
> STANDBY REDUNDANT HA_ENABLED DUAL_CP
$ hachecklock
> Lock is free

=== the standby CP restarts without a recorded reason; the lock held on the other CP stays
set: lock=4242,7,1700000000,hareboot
$ chassis-sim restart 1
@ restart(1, "boot", 1) = 0
@ restart(1, "up as standby") = 0
@@ report 'OCP or Silent Reboot' ''
@ restart(1, "/sbin/hainfo init") = 0
= cp1/var/rb_reason:
= cp1/mnt/var/rb_reason:
= var/rb_reason
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP
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
@ restart(0, "boot", 1) = 0
@ restart(0, "up as active") = 0
@@ report 'OCP or Silent Reboot' 'OCP or Silent Reboot'
@ restart(0, "/sbin/hainfo init") = 0
= var/rb_reason:
$ as:hachecklock
>~ Lock occupied: pid 99, .*
> 

=== each CP has its own reason files: CP0's reason survives CP1's restart and is CP0's to report
write: var/rb_reason = hareset @ 11142023-221320
$ chassis-sim restart 1
= var/rb_reason: hareset @ 11142023-221320
$ chassis-sim set this_cp=1
$ hainfo show
> Last Reboot Reason:[]
$ chassis-sim set this_cp=0
$ chassis-sim restart 0
@ restart(0, "boot", 1) = 0
@ restart(0, "CP1 took over") = 0
@ restart(0, "up as standby") = 0
@@ report 'hareset @ 11142023-221320' 'hareset @ 11142023-221320'
@ restart(0, "/sbin/hainfo init") = 0
= var/rb_reason:
$ hainfo show
> Last Reboot Reason:[hareset @ 11142023-221320]

=== a start-up step that fails is reported and ends restart with status 1
fail: ipcInit=1
$ chassis-sim restart 0
! IpcInit failed .Error code = 1
! chassis-sim: /sbin/hainfo init on CP0 ended with status 1
? 1
@ ...
@ restart(0, "up as standby") = 0
@ restart(0, "/sbin/hainfo init") = 1

=== restart refuses when hainfo cannot run, and leaves the state and the journal as they were
write: sim/state.json = {"active_cp":0,"app_name":"CLI","bits":134217926,"board":10,"boots":[0,0],"cocpu":0,"dp_upgrade":1,"dump_text":"","emulator":"","fail":{},"fcr_state":2,"hsess":[{"ac":0,"ch":1700000000,"fl":1,"rbr":"","sy":1700000300,"up":1700000000},{"ac":0,"ch":0,"fl":0,"rbr":"","sy":0,"up":0}],"ipc_max":8192,"lock":{"cmd":"hareboot","cp":0,"pid":4242,"time":1700000000,"trans":7},"ls":{},"model":100,"next_lport":1024,"next_ls":1,"next_trans":1,"node":1,"on_cocpu":0,"peer_ip":"127.0.0.7","peer_reachable":1,"peer_version":[9,2],"rb_reason":"","slots":[6,7],"status":{"local":"Healthy","remote":"Healthy","summary":"HA enabled, Heartbeat Up, HA State synchronized"},"status_set":[],"sysattr":{},"this_cp":0}\n
write: sim/journal.jsonl = {"pid":100,"cp":0,"call":"getHAMStat","args":[],"ret":134217927}\n
write: var/rb_reason = hareset @ 11142023-221320
link: sbin/hainfo = /gone/build/bin/haadm
$ chassis-sim restart 0
! chassis-sim: refusing restart 0: $ROOT/sbin/hainfo cannot run: No such file or directory; nothing changed
? 1
= sim/state.json: {"active_cp":0,"app_name":"CLI","bits":134217926,"board":10,"boots":[0,0],"cocpu":0,"dp_upgrade":1,"dump_text":"","emulator":"","fail":{},"fcr_state":2,"hsess":[{"ac":0,"ch":1700000000,"fl":1,"rbr":"","sy":1700000300,"up":1700000000},{"ac":0,"ch":0,"fl":0,"rbr":"","sy":0,"up":0}],"ipc_max":8192,"lock":{"cmd":"hareboot","cp":0,"pid":4242,"time":1700000000,"trans":7},"ls":{},"model":100,"next_lport":1024,"next_ls":1,"next_trans":1,"node":1,"on_cocpu":0,"peer_ip":"127.0.0.7","peer_reachable":1,"peer_version":[9,2],"rb_reason":"","slots":[6,7],"status":{"local":"Healthy","remote":"Healthy","summary":"HA enabled, Heartbeat Up, HA State synchronized"},"status_set":[],"sysattr":{},"this_cp":0}\n
= sim/journal.jsonl: {"pid":100,"cp":0,"call":"getHAMStat","args":[],"ret":134217927}\n
= var/rb_reason: hareset @ 11142023-221320

=== hareset -l: CP0 goes down at once, CP1 takes over, and CP0 reads as restarting until it is restarted
clock: 1800000000
set: lock=4242,7,1700000000,hareboot
$ hareset -l
@ notifyHAM(24) = 0
@ ipcExit()
@ fastboot(0, "lock freed", 4242) = 0
@ fastboot(0, "CP1 took over") = 0
@ exec("/tarny/cliexec/fastboot") = 0
$ hashow -l
> STANDBY REDUNDANT HA_ENABLED DUAL_CP
$ hashow
@@ cp-status Standby Active Down 'not in sync'
$ hasmtest get_hsess
> Lsess:rc=0,fl=5,ch=6553f100,up=6553f100,ac=6553f100,sy=6553f22c,rbr=
> Rsess:rc=0,fl=1,ch=6553f100,up=6553f100,ac=6b49d200,sy=6b49d200,rbr=
$ chassis-sim restart 0
@ restart(0, "boot", 1) = 0
@ restart(0, "up as standby") = 0
@@ report-stamped hareset
@ restart(0, "/sbin/hainfo init") = 0
$ hashow
@@ cp-status Standby Active Up 'not in sync'
$ hasmtest get_hsess
> Lsess:rc=0,fl=5,ch=6553f100,up=6b49d200,ac=6553f100,sy=6553f22c,rbr=
> Rsess:rc=0,fl=1,ch=6553f100,up=6553f100,ac=6b49d200,sy=6b49d200,rbr=

=== hareset -p: the peer goes down at once, reads as restarting, and comes back a healthy standby
$ hareset -p
@ getHAMFd() = 1000
@ ioctl("ham", 536925719, 0) = 0
$ hashow
@@ cp-status 'Active, Healthy' 'Standby, Restarting' Down 'not in sync'
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP
$ hasyncstart
> HA State synchronization has failed ErrCode = -1
? 1
$ hafailover -f
@@ cp-status 'Active, Healthy' 'Standby, Restarting' Down 'not in sync'
@@ unhealthy-standby
? 255
$ chassis-sim restart 1
$ hashow
@@ cp-status 'Active, Healthy' 'Standby, Healthy' Up 'not in sync'
$ hasyncstart
> HA State synchronization has started
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== a chassis reboot: both CPs down, nothing fails over; the first CP up is active with a new session
clock: 1800000000
$ chassisreboot -f
$ hashow
@@ cp-status 'Active, Restarting' 'Standby, Restarting' Down 'not in sync'
$ chassis-sim restart 1
$ chassis-sim set this_cp=1
$ haready
>~ HAREADY CRITICAL - .*standby CP is not healthy.*
? 2
$ chassis-sim restart 0
$ haredundancy --show
> ...
> HA State not in sync
> Active Slot = CP1 (Local)
> Start Time: 08:00:00 UTC Fri Jan 15 2027
$ hasyncstart
> HA State synchronization has started
$ haready
>~ HAREADY OK - .*

=== a word set by hand does not make a standby that is down healthy
$ hareset -p
$ chassis-sim set state=0x080000C7
$ haready
>~ HAREADY CRITICAL - .*standby CP is not healthy\..*
? 2
