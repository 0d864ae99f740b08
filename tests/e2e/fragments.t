# Blocks of lines that many cases share, each stated once. In a case, "@@ NAME ARG..."
# stands for the block NAME with {1}, {2}, ... replaced by the arguments (words as the
# shell splits them); a block's lines are any lines of a command, as in a case.

== permission: the access check of a command that changes the chassis, run as {1}
@ rbac_init(2) = 0
@ geps_app_name() = "CLI"
@ set_chassis_context("{1}", "", 1, ["{1}"]) = 0
@ rbac_cli_opt_check("{1}", null) = 0
@ rbac_context_type_handler("{1}", null) = 0
@ rbac_close() = 0

== report: hainfo init reports the reason {1} (as the RAS log gets it) to the HA manager as {2}, on the active CP
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@ rasevt_log2("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "{1}") = 0
@ getHAMFd() = 1000
@ ioctl("ham", 1074058781, {"reason":"{2}","word":0}) = 0
@ pd_init() = 0
@ ipcExit()

== report-stamped: hainfo init reports a reason that {1} recorded with its time stamp, on the active CP
@ is_on_cocpu() = 0
@ rasevt_gethndl_internal() = 0
@~ rasevt_log2\("reboot", "report_reboot_reason", 122, "QMZ", 0, 0, 2818051, "{1} @ \d{8}-\d{6}"\) = 0
@ getHAMFd() = 1000
@~ ioctl\("ham", 1074058781, \{"reason":"{1} @ \d{8}-\d{6}","word":0\}\) = 0
@ pd_init() = 0
@ ipcExit()

== sim-usage: chassis-sim's usage, on standard error after a refusal of its words
! usage: chassis-sim init DIR [--scenario NAME | --from FILE|-] [--emulator 'COMMAND ...']
!        chassis-sim set KEY=VALUE ...
!        chassis-sim fail CALL=RESULT ... | --clear
!        chassis-sim show [--json]
!        chassis-sim journal [--call NAME]... [--pid N] [--cp N] [--last N] [--json]
!        chassis-sim journal --clear
!        chassis-sim restart CP
!        chassis-sim relink
!        chassis-sim -h | --help | --version
! The chassis is CHASSIS_SIM_ROOT, else the default chassis.

== cp-status: the three status lines of hashow and hafailover: CP0 is {1}, CP1 {2}, the heartbeat {3}, HA State {4}
> Local CP (Slot 6, CP0): {1}
> Remote CP (Slot 7, CP1): {2}
> HA enabled, Heartbeat {3}, HA State {4}

== enable-warning: haenable's warning, before its question
! Warning: This command will enable the HA. It will reboot the standby CP and
! require all telnet, secure telnet, and SSH sessions to the standby CP to be
! restarted
!

== failover-warning: hafailover's warning on a redundant chassis, before its question
! Warning: This command is being run on a redundant control processor(CP)
! system, and this operation will cause the active CP to reset.
! Therefore all existing telnet sessions are required to be restarted.
!

== unhealthy-standby: hafailover's refusal when the standby CP is not healthy
! Warning: This command is being run on a control processor(CP)
! based system. One or more devices on the standby CP is not healthy.
! Please fix the error before you do failover.

== reboot-warning: chassisreboot's warning, before its question
! Warning: This operation will cause the chassis to reboot.
! Therefore all existing telnet sessions are required 
! to be restarted.
!

== redundancy-invalid: haredundancy's refusal of its arguments, and its status
> Invalid option
> haredundancy --show | --help
> Options: --show  Show the HA redundancy statistics
>          --help  Display the command usage
? 255
