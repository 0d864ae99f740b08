# Start-up, command selection and how runs end.

=== start-up calls in order, then the common exit
startup: keep
$ hashow -h
> Usage: hashow
@ ipc_max_msg_size(0) = 8192
@ ipcInit("HAADM", $PID16, 8192, 0) = 0
@ ficulibInit() = 0
@ nslibInit() = 0
@ esslibInit() = 0
@ zonelibInit() = 0
@ ns_condb_attach_impl("main", "haadm", 183) = 0
@ getThisCPSlot() = 6
@ ipcExit()

=== the message size reaches the registration
startup: keep
set: ipc_max=4096
$ hashow -h
> Usage: hashow
@ ipc_max_msg_size(0) = 4096
@ ipcInit("HAADM", $PID16, 4096, 0) = 0
@ ficulibInit() = 0
@ nslibInit() = 0
@ esslibInit() = 0
@ zonelibInit() = 0
@ ns_condb_attach_impl("main", "haadm", 183) = 0
@ getThisCPSlot() = 6
@ ipcExit()

=== registration refused: its line, its code, nothing else
startup: keep
fail: ipcInit=7
$ hashow
! IpcInit failed .Error code = 7
? 7
@ ipc_max_msg_size(0) = 8192
@ ipcInit("HAADM", $PID16, 8192, 0) = 7

=== registration refused with a code whose low bits are zero ends with 255
startup: keep
fail: ipcInit=512
$ haenable
! IpcInit failed .Error code = 512
? 255
@ ipc_max_msg_size(0) = 8192
@ ipcInit("HAADM", $PID16, 8192, 0) = 512

=== registration refused with a negative code
fail: ipcInit=-3
$ hadisable
! IpcInit failed .Error code = -3
? 253

=== a name that matches no row ends by the common exit with 255
$ as:haadm
? 255
@ ipcExit()

=== upper-case HASHOW matches no row
$ as:HASHOW
? 255

=== the directory part counts: /sbin/haShow runs hashow
$ as:/sbin/haShow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== a name with two command names runs the earlier row
$ as:hashow_haenable -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== the lock owner name hasmfreelock is no command
$ as:hasmfreelock
? 255
@ ipcExit()
