# Times at the edges of 32 bits, read as unsigned seconds: 0x7FFFFFFF is the last second
# a signed 32-bit time_t holds (03:14:07 UTC Tue Jan 19 2038), 0x80000000 the next one,
# 0xFFFFFFFF the last of the record's word (06:28:15 UTC Sun Feb 07 2106). Every build,
# the 32-bit PowerPC one among them, prints the same.

=== haredundancy: the previous session, its CPs swapped, with times either side of January 2038 and the last one
set: hsess.local=4,0,0xFFFFFFFF,0x80000000,0x7FFFFFFF,x hsess.remote=2,0,0,0x7FFFFFFF,0,y
$ haredundancy --show
> === HA Redundancy Statistics ===
> HA State synchronized
> Current Active Session:
> Active Slot = CP0 (Local), Expected Recovered
> Standby Slot = CP1 (Remote)
> Start Time: 03:14:08 UTC Tue Jan 19 2038
>
> Previous Active Session:
> Active Slot = CP1, Unexpected Recovered
> Standby Slot = CP0
> Start Time: 03:14:07 UTC Tue Jan 19 2038
> End Time: 06:28:15 UTC Sun Feb 07 2106
>
> System Uptime: 03:14:07 UTC Tue Jan 19 2038

=== haredundancy: not redundant, the uptime past 2038 from ch and, with ch 0, from up
scenario: non-redundant
set: hsess.local=1,0x7FFFFFFF,0,0,0x80000000,x
$ haredundancy --show
> === HA Redundancy Statistics ===
> Non-redundant
>
> System Uptime: 03:14:08 UTC Tue Jan 19 2038
$ chassis-sim set hsess.local=1,0xFFFFFFFF,0,0,0,x
$ haredundancy --show
> === HA Redundancy Statistics ===
> Non-redundant
>
> System Uptime: 06:28:15 UTC Sun Feb 07 2106

=== hachecklock: the last second of a signed 32-bit time, and the last of the word
set: lock=4321,7,0x7FFFFFFF,hareboot
$ hachecklock
> Lock occupied: pid 4321, trans 7, cmd hareboot, time Tue Jan 19 03:14:07 2038
>
$ chassis-sim set lock=4321,7,4294967295,hareboot
$ hachecklock
> Lock occupied: pid 4321, trans 7, cmd hareboot, time Sun Feb  7 06:28:15 2106
>

=== a lock taken at the last second of the word is shown taken then
clock: 0xFFFFFFFF
$ hafreelock
@ ha_lock(0, 0, "hasmfreelock") = 0
$ hachecklock
>~ Lock occupied: pid [1-9][0-9]*, trans 1, cmd hasmfreelock, time Sun Feb  7 06:28:15 2106
>

=== hainfo: reasons recorded either side of January 2038
clock: 0x7FFFFFFF
$ hainfo RebootReason Hareboot
= var/rb_reason: Hareboot @ 01192038-031407
$ hainfo init
@@ report 'Hareboot @ 01192038-031407' 'Hareboot @ 01192038-031407'

=== hainfo: a reason recorded at the last second of the word
clock: 0xFFFFFFFF
$ hainfo RebootReason Hareboot
= var/rb_reason: Hareboot @ 02072106-062815
