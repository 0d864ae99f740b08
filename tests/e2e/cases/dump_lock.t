# hahamdump, hadump, hachecklock and hafreelock.

=== hahamdump: the dump request on the HA manager device, arguments ignored
$ hahamdump now please
@ getHAMFd() = 1000
@ ioctl("ham", 536925702) = 0

=== hadump: banners before each shell command, the status first, then the entries
write: proc/fss/fcsw0.log = fcsw0: log line\n
$ hadump
> ---------------------------------------
>~ TIME_STAMP: [A-Z][a-z]{2} [ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9]\.(0|[1-9][0-9]{0,5})
> ---------------------------------------
@@ cp-status 'Active, Healthy' 'Standby, Healthy' Up synchronized
> Chassis
> Ethernet IP Address: 192.0.2.10
> Ethernet Subnetmask: 255.255.255.0
> CP0 (slot 6)
> Ethernet IP Address: 192.0.2.11
> CP1 (slot 7)
> Ethernet IP Address: 192.0.2.12
> ---------------------------------------
>~ TIME_STAMP: [A-Z][a-z]{2} [ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9]\.(0|[1-9][0-9]{0,5})
> ---------------------------------------
> fcsw0: online
> ha: active, redundant
> ---------------------------------------
>~ TIME_STAMP: [A-Z][a-z]{2} [ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9]\.(0|[1-9][0-9]{0,5})
> ---------------------------------------
> fcsw0: log line
> ha: sync complete
@ ...
@ exec("/tarny/cliexec/ipaddrshow") = 0

=== hadump without CP slots runs no status command
scenario: no-slots
$ hadump
> ...
> CP0 (slot 0)
> ha: sync complete
@ exec("/tarny/cliexec/ipaddrshow") = 0

=== hadump in any case; with an argument only its usage, leaving without ipcExit
startup: keep
$ as:HADUMP x
> Usage: hadump
@ ...
@ ns_condb_attach_impl("main", "haadm", 183) = 0
@! ipcExit
$ as:/sbin/haDump -h extra
> Usage: hadump

=== hachecklock: negative numbers and a time of 0
set: lock=-5,-1,0,hafailover
$ hachecklock
> Lock occupied: pid -5, trans -1, cmd hafailover, time Thu Jan  1 00:00:00 1970
>

=== hachecklock: a holder name that fills its field without a NUL stops at the field
set: lock=12,3,1,ABCDEFGHIJKLMNOPQRSTUVWXYZ012345
$ hachecklock
> Lock occupied: pid 12, trans 3, cmd ABCDEFGHIJKLMNOPQRSTUVWXYZ012345, time Thu Jan  1 00:00:01 1970
>

=== hafreelock takes a free lock and keeps it
$ hafreelock ignored
@ ha_lock(0, 0, "hasmfreelock") = 0
$ hachecklock
>~ Lock occupied: pid [1-9][0-9]*, trans 1, cmd hasmfreelock, time [A-Z][a-z]{2} [A-Z][a-z]{2} [ 123][0-9] [0-9:]{8} 2[0-9]{3}
>
$ hafreelock
! Failed to acquire the high availability lock.
? 255
@ ha_lock(0, 0, "hasmfreelock") = 1
@! ipcExit

=== hafreelock refused by a failing lock service leaves the lock free
fail: ha_lock=1
$ hafreelock
! Failed to acquire the high availability lock.
? 255
@ ha_lock(0, 0, "hasmfreelock") = 1
@! ipcExit
$ hachecklock
> Lock is free
