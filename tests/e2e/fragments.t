# Journal blocks that many cases share, each stated once. In a case, "@@ NAME ARG..."
# stands for the block NAME with {1}, {2}, ... replaced by the arguments (words as the
# shell splits them); a block's lines are "@" or "@~" lines as in a case.

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
