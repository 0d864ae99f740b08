# haready as a monitoring check: whatever happens, a status from 0 to 3 and its first line
# on standard output, with no '|' but the one that starts the performance data.

=== registration refused: UNKNOWN, and the first line says why
fail: ipcInit=2
$ haready
> HAREADY UNKNOWN - the messaging service refused registration (ipcInit 2)
? 3
$ chassis-sim fail ipcInit=-5
$ as:check_haready -v
> HAREADY UNKNOWN - the messaging service refused registration (ipcInit -5)
? 3

=== a refused option is named on the first line, the usage under the name it was started as
$ as:check_haready -w 60
> HAREADY UNKNOWN - -w is not taken: a held HA lock is WARNING at any age, as hafailover refuses it; -c sets when it is CRITICAL
> Usage: check_haready [-v] [-c SECONDS] [-t SECONDS]
>   -v          one more line for every reason, in hafailover's words
>   -c SECONDS  a HA lock held this long is CRITICAL (default 600); held at all, WARNING
>   -t SECONDS  UNKNOWN when the platform has not answered within this long (default 10)
> Status: 0 OK (hafailover would go ahead), 1 WARNING (a hold that an operator or an
> upgrade ends), 2 CRITICAL (the chassis is not protected), 3 UNKNOWN.
? 3
@! .
$ haready -c @5
> ...
> HAREADY UNKNOWN - -c takes a whole number of seconds from 0 to 31622400, not '@5'
? 3
$ haready --timeout=0
> ...
> HAREADY UNKNOWN - -t takes a whole number of seconds from 1 to 31622400, not '0'
? 3
$ haready -c
> ...
> HAREADY UNKNOWN - -c needs a number of seconds
? 3
$ haready -x
> ...
> HAREADY UNKNOWN - -x is not an option
? 3
$ haready '--critica|l=5'
> ...
> HAREADY UNKNOWN - --critica\\x7Cl=5 is not an option
? 3
$ haready extra
> ...
> HAREADY UNKNOWN - 'extra' is not an option; the check takes no arguments
? 3

=== a value that could not be read is left out of the performance data
fail: ham_get_state=-1
$ haready
> HAREADY UNKNOWN - ham_get_state failed (-1) | lock_held=0;;;0;1 lock_age=0s;0;600;0;
? 3
$ chassis-sim fail ha_checklock=1
$ haready
> HAREADY UNKNOWN - ham_get_state failed (-1) (1 more reason)
? 3

=== a holder's '|' does not start the performance data, and the lock's age has the status's thresholds
set: 'lock=4242,7,1799999970,a|b=1;2;3 x'
clock: 1800000000
$ haready -v
> HAREADY WARNING - haFailover: can't failover because system is not ready yet or other LS/HA config is in progress. | active=1;;;0;1 redundant=1;;;0;1 synchronized=1;;;0;1 ha_enabled=1;;;0;1 dual_cp=1;;;0;1 suppressed=0;;;0;1 cocpu_heartbeat=0;;;0;1 standby_healthy=1;;;0;1 lock_held=1;;;0;1 lock_age=30s;0;600;0;
> haFailover: can't failover because system is not ready yet or other LS/HA config is in progress.
> HA lock held by pid 4242 (a\\x7Cb=1;2;3 x), transaction 7, for 30 s
? 1
$ haready -c 30
>~ HAREADY CRITICAL - .* lock_age=30s;0;30;0;
? 2
$ haready --critical=31
>~ HAREADY WARNING - .* lock_age=30s;0;31;0;
? 1

=== on the standby CP a chassis that can fail over is OK, and the long text says nothing else; further reasons are counted without the active test
scenario: standby
$ haready -v
> HAREADY OK - this is the standby CP; the chassis can fail over from its active CP | active=0;;;0;1 redundant=1;;;0;1 synchronized=1;;;0;1 ha_enabled=1;;;0;1 dual_cp=1;;;0;1 suppressed=0;;;0;1 cocpu_heartbeat=0;;;0;1 standby_healthy=1;;;0;1 lock_held=0;;;0;1 lock_age=0s;0;600;0;
@ esm_is_extnHcl_inprog() = 1
@ getHAMStat() = 134217926
@ ham_get_state() = 134217926
@ ha_checklock() = 0
$ chassis-sim set state=0x08000082
$ haready
> HAREADY CRITICAL - haFailover: HA not enabled. Please enable HA first. (standby CP) (1 more reason) | active=0;;;0;1 redundant=1;;;0;1 synchronized=0;;;0;1 ha_enabled=0;;;0;1 dual_cp=1;;;0;1 suppressed=0;;;0;1 cocpu_heartbeat=0;;;0;1 standby_healthy=1;;;0;1 lock_held=0;;;0;1 lock_age=0s;0;600;0;
? 2

=== a chassis that the simulator cannot serve: UNKNOWN, and the first line says why
write: sim/state.json = []
$ haready
> HAREADY UNKNOWN - the state in $ROOT/sim/state.json is damaged: the top level is not an object
! chassis-sim: the state in $ROOT/sim/state.json is damaged: the top level is not an object
? 3

=== a getHAMStat word of 0 is read: neither active nor with a healthy standby
fail: getHAMStat=0
$ haready
>~ HAREADY CRITICAL - Warning: .* standby CP is not healthy\. .*\(standby CP\) \| .*
? 2

=== a DP upgrade ended with 9 and a lock stamped after now: the edges of a hold
clock: 1700000000
set: dp_upgrade=9
$ haready
>~ HAREADY OK - the chassis can fail over now \| .*
$ chassis-sim set lock=4242,7,4294967295,hareboot
$ haready
>~ HAREADY WARNING - haFailover: can't failover because .* lock_age=0s;0;600;0;
? 1

=== a chassis that is not redundant is CRITICAL, even while a DP upgrade holds the failover
scenario: non-redundant
set: dp_upgrade=0
$ haready
>~ HAREADY CRITICAL - haFailover not allowed: the system is not in redundant mode\. \(2 more reasons\) \| .*
? 2

=== a chassis without CP slots is UNKNOWN, though the tests after it fail as CRITICAL
scenario: no-slots
$ haready
>~ HAREADY UNKNOWN - Not supported on this platform \(4 more reasons\) \| .*
? 3
