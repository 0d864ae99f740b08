# haredundancy: the three bodies, the session blocks, the options and every refusal.
# Times: 1600000000 = 12:26:40 Sun Sep 13 2020, 1650000000 = 05:20:00 Fri Apr 15 2022,
# 1690000000 = 04:26:40 Sat Jul 22 2023, 1700000000 = 22:13:20 Tue Nov 14 2023 (UTC).

=== active CP, synchronized: the current session, its calls in order
set: hsess.local=1,1600000000,0,1690000000,1650000000,x
$ haredundancy --show
> === HA Redundancy Statistics ===
> HA State synchronized
> Current Active Session:
> Active Slot = CP0 (Local)
> Standby Slot = CP1 (Remote)
> Start Time: 04:26:40 UTC Sat Jul 22 2023
>
> System Uptime: 05:20:00 UTC Fri Apr 15 2022
@ rbac_init(2) = 0
@ rbac_cli_opt_check("haredundancy", "show") = 0
@ rbac_context_type_handler("haredundancy", "show") = 0
@ ham_get_state() = 134217927
@ getThisCPSlot() = 6
@ getPeerCPSlot() = 7
@ has_get_hsess(1) = 0
@ has_get_hsess(0) = 0
@ getThisCPNum() = 0
@ getThisCPSlot() = 6
@ rbac_close() = 0

=== previous session with both flags; no start time (sy 0) and no end time (ac 0)
set: hsess.local=1,0,0,0,1650000000,x hsess.remote=6,0,0,0,0,y
$ haredundancy --show
> === HA Redundancy Statistics ===
> HA State synchronized
> Current Active Session:
> Active Slot = CP0 (Local)
> Standby Slot = CP1 (Remote)
>
> Previous Active Session:
> Active Slot = CP1, Unexpected Recovered, Expected Recovered
> Standby Slot = CP0
>
> System Uptime: 05:20:00 UTC Fri Apr 15 2022

=== session body with ch 0: the uptime is the start of 1970, not up
set: hsess.local=1,1600000000,0,0,0,x
$ haredundancy --show
> ...
> System Uptime: 00:00:00 UTC Thu Jan 01 1970

=== standby CP: the peer's record is current, no previous session is read
scenario: standby
set: hsess.remote=2,0,1700000000,1690000000,1650000000,x hsess.local=4,0,0,1600000000,0,y
$ haredundancy --show
> === HA Redundancy Statistics ===
> HA State synchronized
> Current Active Session:
> Active Slot = CP0 (Remote), Unexpected Recovered
> Standby Slot = CP1 (Local)
> Start Time: 04:26:40 UTC Sat Jul 22 2023
>
> System Uptime: 05:20:00 UTC Fri Apr 15 2022
@ ...
@ has_get_hsess(0) = 0

=== --help and its prefix print the usage after the permission check
$ haredundancy --help
> haredundancy --show | --help
> Options: --show  Show the HA redundancy statistics
>          --help  Display the command usage
@ rbac_init(2) = 0
@ rbac_cli_opt_check("haredundancy", "help") = 0
@ rbac_context_type_handler("haredundancy", "help") = 0
@ rbac_close() = 0
$ haredundancy --h
> haredundancy --show | --help
> Options: --show  Show the HA redundancy statistics
>          --help  Display the command usage

=== rbac_init refused: its line, early return without rbac_close
fail: rbac_init=5
$ haredundancy --show
> rbac_init returns 5
? 255
@ rbac_init(2) = 5
@! ipcExit

=== no argument, two arguments, a plain word, a lone --: invalid
$ haredundancy
@@ redundancy-invalid
@ rbac_init(2) = 0
@ rbac_close() = 0
$ haredundancy --show extra
@@ redundancy-invalid
$ haredundancy show
@@ redundancy-invalid
$ haredundancy --
@@ redundancy-invalid

=== options the parser refuses: its diagnostic, then invalid
$ haredundancy -show
! haredundancy: invalid option -- 's'
@@ redundancy-invalid
@ rbac_init(2) = 0
@ rbac_close() = 0
$ haredundancy --stats
! haredundancy: unrecognized option '--stats'
@@ redundancy-invalid
$ haredundancy --show=1
! haredundancy: option '--show' doesn't allow an argument
@@ redundancy-invalid

=== permission refused by the option check
fail: rbac_cli_opt_check=1
$ haredundancy --show
> RBAC permission denied.
? 255
@ rbac_init(2) = 0
@ rbac_cli_opt_check("haredundancy", "show") = 1
@ rbac_close() = 0
$ haredundancy --help
> RBAC permission denied.
? 255

=== permission refused by the context check: silent
fail: rbac_context_type_handler=3
$ haredundancy --help
? 255
@ rbac_init(2) = 0
@ rbac_cli_opt_check("haredundancy", "help") = 0
@ rbac_context_type_handler("haredundancy", "help") = 3
@ rbac_close() = 0

=== state unavailable: nothing printed, status 255
fail: ham_get_state=-1
$ haredundancy --show
? 255
