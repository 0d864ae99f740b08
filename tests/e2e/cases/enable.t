# haenable and hadisable: the full sequences, the line-form question, the peer restart
# and the state left behind. Which texts count as a peer address is a unit test; here
# a few show that anything else never reaches the shell.

=== full enable: permission, reset of the peer, ping, remote reboot, notice, audit
scenario: ha-disabled
$ haenable
< y
@@ enable-warning
!- Are you sure you want to go ahead  [y/n]? 
> HA is enabled
@@ permission haenable
@ ham_get_state() = 134217859
@ getHAMFd() = 1000
@ ioctl("ham", 536925719, 0) = 0
@ get_peer_ip_str() = 0
@ exec("/bin/ping", "-q", "127.0.0.7", "-c", "2") = 0
@ exec("/usr/bin/rsh", "-n", "127.0.0.7", "/tarny/cliexec/reboot ") = 0
@ fssm_admin(5, {"code":12288,"name":"chassis","op":4,"rest_zero":true}) = 0
@ enableHA() = 0
@ rasevt_init_check() = 0
@ rasevt_init("chassis", 0, "HAADM") = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("haadm", "main", 423, "QMZ", 0, 0, 2818063, "enabled") = 0
@ rasevt_exit() = 0
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP
$ haenable -f
> HA is enabled

=== line-form answers that go ahead: Y, and y at end of input without a newline
scenario: ha-disabled
$ haenable
< Y
@@ enable-warning
!- Are you sure you want to go ahead  [y/n]? 
> HA is enabled
$ hadisable
> HA is disabled
$ haenable
<- y
@@ enable-warning
!- Are you sure you want to go ahead  [y/n]? 
> HA is enabled
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP

=== peer that does not answer the ping: no remote reboot, the rest goes on
scenario: ha-disabled
set: peer_reachable=0
$ haenable -f
@@ enable-warning
> HA is enabled
@ ...
@ exec("/bin/ping", "-q", "127.0.0.7", "-c", "2") = 1
@ fssm_admin(5, {"code":12288,"name":"chassis","op":4,"rest_zero":true}) = 0
@ enableHA() = 0
@! rsh
$ hashow -l
> ACTIVE REDUNDANT HA_ENABLED DUAL_CP

=== an IPv6 peer address is pinged and asked to reboot
scenario: ha-disabled
set: peer_ip=fd00::7
$ haenable
< y
@@ enable-warning
!- Are you sure you want to go ahead  [y/n]? 
> HA is enabled
@ ...
@ exec("/bin/ping", "-q", "fd00::7", "-c", "2") = 0
@ exec("/usr/bin/rsh", "-n", "fd00::7", "/tarny/cliexec/reboot ") = 0

=== peer address that is no address (a command after the address): nothing reaches the shell, the peer counts as not answering
scenario: ha-disabled
set: 'peer_ip=127.0.0.7;touch${IFS}owned'
$ haenable -f
@@ enable-warning
> HA is enabled
@ ...
@ get_peer_ip_str() = 0
@ enableHA() = 0
@! exec
= owned

=== full disable: the notice with op 5, the audit entry, then HA_DISABLED
$ hadisable
> HA is disabled
@ ...
@ disableHA() = 0
@ fssm_admin(5, {"code":12288,"name":"chassis","op":5,"rest_zero":true}) = 0
@ rasevt_log2("haadm", "main", 460, "QMZ", 0, 0, 2818063, "disabled") = 0
$ hashow -l
> ACTIVE REDUNDANT HA_DISABLED DUAL_CP
$ haDisable
> HA is disabled
@ ham_get_state() = 134217859

=== disableHA failing with 256: the line shows 256, the shell sees 255, not success
fail: disableHA=256
$ hadisable
> hadisable command failed ErrCode = 256
? 255
@ ham_get_state() = 134217927
@ disableHA() = 256

=== disableHA failing with other codes: their low eight bits
fail: disableHA=3
$ hadisable
> hadisable command failed ErrCode = 3
? 3
$ chassis-sim fail disableHA=-1
$ hadisable
> hadisable command failed ErrCode = -1
? 255
$ chassis-sim fail disableHA=513
$ hadisable
> hadisable command failed ErrCode = 513
? 1
