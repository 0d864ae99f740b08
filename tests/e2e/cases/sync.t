# hasyncstart and hasyncstop: the request built from head[:tail], the state tests and
# the library results.

=== start: head and tail sent, then the state is synchronised
set: state=0x080000C3
$ hasyncstart abc:def
> HA State synchronization has started
@ getHAMStat() = 134217923
@ getHAMStat() = 134217923
@ hasm_synstart({"head":"abc","reserved":0,"tail":"def"}) = 0
@ ipcExit()
$ hashow -l
> ACTIVE REDUNDANT SYNCHRONIZED HA_ENABLED DUAL_CP
$ hasyncstart
> HA State is already synchronized
@ getHAMStat() = 134217927
@ getHAMStat() = 134217927
@ ipcExit()

=== start: the argument's forms as the library receives them
set: state=0x080000C3
# hasm_synstart answers 0 and changes nothing, so every run reaches the library
fail: hasm_synstart=0
$ hasyncstart
> HA State synchronization has started
@ getHAMStat() = 134217923
@ getHAMStat() = 134217923
@ hasm_synstart({"head":"","reserved":0,"tail":""}) = 0
@ ipcExit()
$ haSyncStart abc
> HA State synchronization has started
@~ getHAMStat\(\) = .*
@~ getHAMStat\(\) = .*
@ hasm_synstart({"head":"abc","reserved":0,"tail":""}) = 0
@ ipcExit()
$ hasyncstart :def
> HA State synchronization has started
@~ getHAMStat\(\) = .*
@~ getHAMStat\(\) = .*
@ hasm_synstart({"head":"","reserved":0,"tail":"def"}) = 0
@ ipcExit()
$ hasyncstart a:b:c ignored
> HA State synchronization has started
@~ getHAMStat\(\) = .*
@~ getHAMStat\(\) = .*
@ hasm_synstart({"head":"a","reserved":0,"tail":"b:c"}) = 0
@ ipcExit()
$ hasyncstart abcdefghijklmnopqrst:12345678901234567890
> HA State synchronization has started
@~ getHAMStat\(\) = .*
@~ getHAMStat\(\) = .*
@ hasm_synstart({"head":"abcdefghijklmno","reserved":0,"tail":"123456789012345"}) = 0
@ ipcExit()
$ hasyncstart -x
> HA State synchronization has started
@~ getHAMStat\(\) = .*
@~ getHAMStat\(\) = .*
@ hasm_synstart({"head":"-x","reserved":0,"tail":""}) = 0
@ ipcExit()

=== start with HA disabled: early return with 255
scenario: ha-disabled
$ hasyncstart
> HA is not enabled. Please enable HA first.
? 255
@ getHAMStat() = 134217859
@ getHAMStat() = 134217859

=== start failing: the code printed, status 1
set: state=0x080000C3
fail: hasm_synstart=256
$ hasyncstart x:y
> HA State synchronization has failed ErrCode = 256
? 1
@ getHAMStat() = 134217923
@ getHAMStat() = 134217923
@ hasm_synstart({"head":"x","reserved":0,"tail":"y"}) = 256
@ ipcExit()
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP

=== stop: the request sent, then the state is out of synchronisation
$ hasyncstop head:tail
> HA State synchronization has stopped.
@ getHAMStat() = 134217927
@ getHAMStat() = 134217927
@ hasm_synstop({"head":"head","reserved":0,"tail":"tail"}) = 0
@ ipcExit()
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP
$ haSyncStop
> HA State is already out of synchronization
@ getHAMStat() = 134217923
@ getHAMStat() = 134217923
@ ipcExit()

=== stop with HA disabled: HA_ENABLED is not tested
scenario: ha-disabled
$ hasyncstop
> HA State is already out of synchronization

=== stop failing: the code printed, status 1
fail: hasm_synstop=-7
$ hasyncstop
> hasyncstop failed ErrCode = -7
? 1
@ getHAMStat() = 134217927
@ getHAMStat() = 134217927
@ hasm_synstop({"head":"","reserved":0,"tail":""}) = -7
@ ipcExit()

=== standby CP: both end at once, silently, status 0, even with HA disabled
scenario: standby
set: state=0x08000082
$ hasyncstart a:b
@ getHAMStat() = 134217858
@ getHAMStat() = 134217858
@ ipcExit()
$ hasyncstop a:b
@ getHAMStat() = 134217858
@ getHAMStat() = 134217858
@ ipcExit()

=== no CP slots: the state is read once, then the platform refusal
scenario: no-slots
$ hasyncstart
> hasyncstart Not supported on this platform
@ getHAMStat() = 1
@ ipcExit()
