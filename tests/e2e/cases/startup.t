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

=== upper-case HASHOW matches no row
$ as:HASHOW
? 255
