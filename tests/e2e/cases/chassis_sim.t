# chassis-sim: refusals that change nothing, living state, the journal for people.

=== an unknown key is refused and nothing changes
$ chassis-sim set state=0 nosuchkey=1
! chassis-sim: unknown key 'nosuchkey'; nothing changed
? 1
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== malformed values are refused
$ chassis-sim set this_cp=2
! chassis-sim: bad value for this_cp: '2' is not a number from 0 to 1; nothing changed
? 1
$ chassis-sim set lock=1,2,3
! chassis-sim: bad value for lock: expected free or PID,TRANS,TIME,CMD; nothing changed
? 1
$ chassis-sim set peer_version=7
! chassis-sim: bad value for peer_version: expected MAJOR.MINOR; nothing changed
? 1
$ chassis-sim set rb_reason=0123456789012345678901234567890123456789012345678901234567890123
! chassis-sim: bad value for rb_reason: a text of at most 63 characters is expected; nothing changed
? 1
$ chassis-sim set novalue
! chassis-sim: 'novalue' is not KEY=VALUE; nothing changed
? 1

=== fail refuses calls without an integer result and bad results
$ chassis-sim fail geps_app_name=1
! chassis-sim: 'geps_app_name=1' is not CALL=RESULT with a call that has an integer result; nothing changed
? 1
$ chassis-sim fail ha_lock=x
! chassis-sim: bad result for ha_lock: 'x' is not a 32-bit integer; nothing changed
? 1
$ chassis-sim fail ha_get_state=-1
! chassis-sim: 'ha_get_state=-1' is not CALL=RESULT with a call that has an integer result (did you mean ham_get_state?); nothing changed
? 1

=== an injected result has no effect, and --clear ends it
fail: enableHA=3 getHAMStat=0
$ hashow -l
> STANDBY HA_DISABLED 
$ chassis-sim fail --clear
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP

=== init refuses a chassis that exists, a bad path and an unknown scenario
$ chassis-sim init $ROOT
! chassis-sim: $ROOT already holds a chassis; use another directory or remove it first
? 1
$ chassis-sim init "/tmp/a b"
! chassis-sim: refusing '/tmp/a b': a chassis path must not contain blanks or shell metacharacters
? 1
$ chassis-sim init $ROOT/new --scenario nosuch
! chassis-sim: unknown scenario 'nosuch' (known: redundant, standby, non-redundant, ha-disabled, no-slots)
? 1

=== a request on a descriptor other than the device's fails, takes no effect and names the descriptor
fail: getHAMFd=5 ham_get_fd=0
write: var/rb_reason = Hareboot @ planted
$ hahamdump
@ getHAMFd() = 5
@ ioctl(5, 536925702) = -1
$ platformyield
@ ham_get_fd() = 0
@ ioctl(0, 536925727) = -1
$ hainfo init
@ ...
@ getHAMFd() = 5
@ ioctl(5, 1074058781, {"reason":"Hareboot @ planted","word":0}) = -1
$ chassis-sim fail --clear
$ hainfo show
>~ Last Reboot Reason:\[(?!Hareboot @ planted).*

=== texts with bytes 0x80-0xFF come back byte for byte: a reboot reason
$ chassis-sim set 'rb_reason=a\x80\xc3\xffz'
$ hainfo show
> Last Reboot Reason:[a\x80\xc3\xffz]

=== numbers are decimal or 0x-hex with an optional minus and nothing else
$ chassis-sim set model=+5
! chassis-sim: bad value for model: '+5' is not a number from -2147483648 to 2147483647; nothing changed
? 1
$ chassis-sim set model=99999999999999999999
! chassis-sim: bad value for model: '99999999999999999999' is not a number from -2147483648 to 2147483647; nothing changed
? 1
$ chassis-sim set model=-0x10 board=0X1f node=0
$ chassis-sim set model=-2147483648 board=2147483647
$ chassis-sim set model=-2147483649
! chassis-sim: bad value for model: '-2147483649' is not a number from -2147483648 to 2147483647; nothing changed
? 1

=== hasm_get_port wraps as 32-bit arithmetic instead of overflowing
$ hasmtest getport 2147483647 0 0 0
>~ .*
@ hasm_get_port(2147483647, 0, 0, 0) = -64
$ hasmtest getport -2147483648 -2147483648 0 0
>~ .*
@ hasm_get_port(-2147483648, -2147483648, 0, 0) = -2147483648

=== chassis-sim journal reports a line nested too deep to walk and skips it
write: sim/journal.jsonl = {"pid":1,"cp":0,"call":"x","args":[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]],"ret":0}\n{"pid":1,"cp":0,"call":"y","args":[[1]],"ret":0}\n
$ chassis-sim journal
! chassis-sim: line 1 of $ROOT/sim/journal.jsonl is not a whole entry; skipped
> y([1]) = 0

=== relink links every program to this chassis-sim's build again, keeping the state and the journal
set: lock=4242,7,1700000000,hareboot
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP
link: sim/tool = /gone/build/bin/haadm
link: sim/program = /gone/build/bin/chassis-sim
link: sbin/hainfo = /gone/build/bin/haadm
link: tarny/cliexec/fastboot = /gone/build/bin/chassis-sim
$ chassis-sim relink
@~ relink\("/.*/haadm", "/.*/chassis-sim"\) = 0
$ hachecklock
> Lock occupied: pid 4242, trans 7, cmd hareboot, time Tue Nov 14 22:13:20 2023
> 
$ hainfo show
> Last Reboot Reason:[]
$ /tarny/cliexec/fastboot
@ fastboot(0, "lock freed", 4242) = 0
@ fastboot(0, "CP1 took over") = 0
@ exec("/tarny/cliexec/fastboot") = 0
$ chassis-sim journal --call getHAMStat --call relink
> getHAMStat() = 134217927
>~ relink\("/.*/haadm", "/.*/chassis-sim"\) = 0
$ chassis-sim relink extra
! chassis-sim: relink takes no arguments
@@ sim-usage
? 2

=== the programs that take a CP down journal the lock they free
set: this_cp=1
set: lock=77,3,1700000000,hafailover
set: this_cp=0
$ /usr/bin/rsh 127.0.0.7 /tarny/cliexec/reboot
@ rsh(1, "lock freed", 77) = 0
@ exec("/usr/bin/rsh", "127.0.0.7", "/tarny/cliexec/reboot") = 0
$ /tarny/cliexec/reboot
@ exec("/tarny/cliexec/reboot") = 0
$ chassis-sim set lock=4242,7,1700000000,hareboot
$ /tarny/cliexec/reboot
@ reboot(0, "lock freed", 4242) = 0
@ exec("/tarny/cliexec/reboot") = 0
$ hachecklock
> Lock is free
