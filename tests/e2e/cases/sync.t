# hasyncstart and hasyncstop: the request built from head[:tail], the state tests and
# the library results.

=== start: head and tail sent, then the state is synchronised
set: state=0x080000C3
$ hasyncstart abc:def
> HA State synchronization has started
@ getHAMStat() = 134217923
@ getHAMStat() = 134217923
@ hasm_synstart({"head":"abc","reserved":0,"tail":"def"}) = 0
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP
$ hasyncstart
> HA State is already synchronized
@! hasm_synstart

=== start with HA disabled: early return with 255
scenario: ha-disabled
$ hasyncstart
> HA is not enabled. Please enable HA first.
? 255
@ getHAMStat() = 134217859
@ getHAMStat() = 134217859
@! ipcExit

=== start failing: the code printed, status 1
set: state=0x080000C3
fail: hasm_synstart=256
$ hasyncstart x:y
> HA State synchronization has failed ErrCode = 256
? 1
@ ...
@ hasm_synstart({"head":"x","reserved":0,"tail":"y"}) = 256
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP

=== stop: the request sent, then the state is out of synchronisation
$ hasyncstop head:tail
> HA State synchronization has stopped.
@ getHAMStat() = 134217927
@ getHAMStat() = 134217927
@ hasm_synstop({"head":"head","reserved":0,"tail":"tail"}) = 0
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP
$ haSyncStop
> HA State is already out of synchronization
@! hasm_synstop

=== stop failing: the code printed, status 1
fail: hasm_synstop=-7
$ hasyncstop
> hasyncstop failed ErrCode = -7
? 1
@ ...
@ hasm_synstop({"head":"","reserved":0,"tail":""}) = -7

=== standby CP: both end at once, silently, status 0, even with HA disabled
scenario: standby
set: state=0x08000082
$ hasyncstart a:b
@ getHAMStat() = 134217858
@ getHAMStat() = 134217858
$ hasyncstop a:b
@ getHAMStat() = 134217858
@ getHAMStat() = 134217858
