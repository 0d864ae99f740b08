# The shared guards, seen through haenable, hadisable and hafailover: access control,
# the standby and platform refusals, the audit entry and the force/help options.

=== RBAC library that cannot start: early return with 255
fail: rbac_init=-5
$ haenable
> Error initializing RBAC library, ret=-5
? 255
@ rbac_init(2) = -5
@! ipcExit

=== refusing chassis context: its result is the status, no decision is made
fail: set_chassis_context=3
$ haenable
> RBAC permission denied.
? 3
@ rbac_init(2) = 0
@ geps_app_name() = "CLI"
@ set_chassis_context("haenable", "", 1, ["haenable"]) = 3
@ rbac_close() = 0
@! ipcExit

=== a refusing chassis context of 256 must not read as success
fail: set_chassis_context=256
$ hafailover
> RBAC permission denied.
? 255
@ ...
@ set_chassis_context("hafailover", "", 1, ["hafailover"]) = 256
@! ipcExit

=== chassis context for an option: the option word and argc
fail: set_chassis_context=-2
$ haenable -f
> RBAC permission denied.
? 254
@ ...
@ ham_get_state() = 134217927
@ set_chassis_context("haenable", "force", 2, ["haenable","-f"]) = -2
@! ipcExit

=== refusing option check: denied once, the library closed twice, status 1
fail: rbac_cli_opt_check=-1
$ haenable
> RBAC permission denied.
? 1
@ rbac_init(2) = 0
@ geps_app_name() = "CLI"
@ set_chassis_context("haenable", "", 1, ["haenable"]) = 0
@ rbac_cli_opt_check("haenable", null) = -1
@ rbac_close() = 0
@ rbac_close() = 0
@! ipcExit

=== refusing decision for the help option
fail: rbac_context_type_handler=1
$ haenable -help
> RBAC permission denied.
? 1
@ ...
@ rbac_context_type_handler("haenable", "help") = 1

=== the application name is compared exactly: cli is not CLI
set: app_name=cli
$ hafailover -h
> Usage: hafailover
> Options :
> -f | -force\tForcing to do hafailover
> -h | -help\tDisplay command usage

=== standby refusal, fixed-name form, with a blank before the newline
scenario: standby
$ haFailover
> WARNING: Command not allowed on the standby CP : hafailover 
? 1

=== -h on the standby: the standby refusal comes first
scenario: standby
$ haenable -h
> WARNING: Command not allowed on the standby CP : haenable
? 1
@ rbac_init(2) = 0
@ ham_get_state() = 134217926
$ hafailover -h
> WARNING: Command not allowed on the standby CP : hafailover 
? 1

=== platform refusal, common form, status 0
scenario: no-slots
$ haenable
> haenable Not supported on this platform
$ hadisable
> hadisable Not supported on this platform
@ ipcExit()
$ haSyncStop a:b
> haSyncStop Not supported on this platform

=== options: a word that is no option gets no permission check at all
scenario: ha-disabled
$ haenable now
@@ enable-warning
!- Are you sure you want to go ahead  [y/n]? 
< n
> haenable: not confirmed by user!
? 1
@ rbac_init(2) = 0
@ ham_get_state() = 134217859

=== audit entry with the RAS event library already open: no init, no exit
scenario: ha-disabled
set: state=0x080000C3
fail: rasevt_init_check=1
$ hadisable
> HA is disabled
@ ...
@ disableHA() = 0
@ fssm_admin(5, {"code":12288,"name":"chassis","op":5,"rest_zero":true}) = 0
@ rasevt_init_check() = 1
@ rasevt_log2("haadm", "main", 460, "QMZ", 0, 0, 2818063, "disabled") = 0
