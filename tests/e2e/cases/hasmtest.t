# hasmtest: sub-command selection, least argument counts, the request records sent to the
# libraries and the lines printed. Every run ends with status 0.

=== unknown words, case-sensitive keywords, no word at all
$ hasmtest foo
> invalid command foo
@ ipcExit()
$ hasmtest GETFID 1
> invalid command GETFID
@ ipcExit()
$ hasmtest
@ ipcExit()

=== single calls: watchdog, out-of-memory test, suppression, Ethernet
$ hasmtest swdkill
@ config_swd_kickin() = 0
$ hasmtest oomtest
@ hasm_testoom() = 0
$ hasmtest set_suppress_ha
@ ham_set_state(2048) = 0
$ hashow
> HA supressed
$ hasmtest ethcreate
> Ethernet creation return 0
@ eth_create(0) = 0

=== shutdown and restart: switch number, control text of at most 127 characters
set: ls.1.ports=
$ hasmtest shutdown 1 maintenance
@ ls_shutdown(1, "maintenance") = 0
$ hasmtest restart 1
@ ls_restart(1, "") = 0
$ hasmtest restartshutdown 2x
@ ls_shutdown(2, "") = -1
$ hasmtest restart 1 tttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt
@ ls_restart(1, "ttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttttt") = 0

=== logical switch lifecycle
$ hasmtest lscreate
> swno is 1
@ ls_create({"count":1,"entries":[["FID","128"]],"rest_zero":true}) = 1
$ hasmtest lscreate 20
> swno is 2
@ ls_create({"count":1,"entries":[["FID","20"]],"rest_zero":true}) = 2
$ hasmtest lscreate 12345678901234567890
> swno is 3
@ ls_create({"count":1,"entries":[["FID","123456789012345"]],"rest_zero":true}) = 3
$ hasmtest getfid 2
> The FID is 20
@ ls_get_attribute(2, "FID", null) = 20
$ hasmtest lsenable 1
> 1 is enabled
@ ls_enable(1) = 0
$ hasmtest lsdisable 1abc
> 1 is disabled
@ ls_disable(1) = 0
$ hasmtest lsdelete 1
> 1 is deleted
@ ls_delete(1) = 0
$ hasmtest lsdelete 7
> 7 is deleted
@ ls_delete(7) = -1

=== lscreate prints a failed creation's result
fail: ls_create=-1
$ hasmtest lscreate
> swno is -1

=== expansion: ge, port range forms, port type words, sync calls
set: ls.1.ports= ls.2.ports=
$ hasmtest expand 1 GE 0-3 VE
@ ls_expand(1, {"ge":1,"ports":[[0,129],[1,129],[2,129],[3,129]]}) = 0
$ hasmtest deexpand 2 fc 10-11 isl 1
@ ls_deexpand_sync("fcsw", 2, {"ge":0,"ports":[[10,132],[11,132]]}) = 0
$ hasmtest expand 1 FC 5 VE
@ ls_expand(1, {"ge":0,"ports":[]}) = 0
$ hasmtest expand 1 FC 0 VE
@ ls_expand(1, {"ge":0,"ports":[[0,129]]}) = 0
$ hasmtest expand 1 FC -5 VE
@ ls_expand(1, {"ge":0,"ports":[[0,129],[1,129],[2,129],[3,129],[4,129],[5,129]]}) = 0
$ hasmtest expand 1 ge 7-7
@ ls_expand(1, {"ge":1,"ports":[[7,128]]}) = 0
$ hasmtest expand 1 FC 10-11 GE 0
@ ls_expand(1, {"ge":0,"ports":[[10,130],[11,130]]}) = 0
$ hasmtest expand 1 FC 1798-1799 fcvf 7
@ ls_expand_sync("fcsw", 1, {"ge":0,"ports":[[1798,140],[1799,140]]}) = 0

=== keyword selection: lsexpand expands, lsdeexpand removes again
set: ls.1.ports=
$ hasmtest lsexpand 1 FC 0-3 ISL
@ ls_expand(1, {"ge":0,"ports":[[0,132],[1,132],[2,132],[3,132]]}) = 0
$ hasmtest lscheckport 0 15 4 1 2
> LS 1 phy port 0 check=1
$ hasmtest lsdeexpand 1 FC 0-3
@ ls_deexpand(1, {"ge":0,"ports":[[0,128],[1,128],[2,128],[3,128]]}) = 0
$ hasmtest lscheckport 0 15 4 1 2
> LS 2 phy port 16 check=0

=== a last port below the first still goes out, with an empty port map
set: ls.1.ports=
$ hasmtest expand 1 FC 2000-3 VE
@ ls_expand(1, {"ge":0,"ports":[]}) = 0
$ hasmtest deexpand 1 FC 3--5 VE 1
@ ls_deexpand_sync("fcsw", 1, {"ge":0,"ports":[]}) = 0

=== a range beyond the port map is refused without a call
set: ls.1.ports=
$ hasmtest expand 1 FC 0-1800 VE
@ ipcExit()
$ hasmtest deexpand 1 FC 1799-99999999999 VE 1
@ ipcExit()
$ hasmtest lsexpand 1 FC -2147483648 VE
@ ipcExit()

=== logical ports: ls_ or hasm_ calls by number 3, numbers as strtol reads them
$ hasmtest lpalloc
> The port allocated is 1024
@ ls_alloc_lport(0, 0) = 1024
$ hasmtest lpalloc 1 2
> The port allocated is 1025
@ ls_alloc_lport(1, 2) = 1025
$ hasmtest lpalloc 1 2 3
> The port allocated is 1026
@ hasm_alloc_lport(1, 3, 2) = 1026
$ hasmtest lpalloc 1 2 0
> The port allocated is 1027
@ ls_alloc_lport(1, 2) = 1027
$ hasmtest lpfree 1 2
@ ls_free_lport(1, 2) = 0
$ hasmtest lpfree 1 2 3
@ hasm_free_lport(1, 3, 2) = 0
$ hasmtest getport 1 2 3 4
> The port is 66
@ hasm_get_port(1, 2, 3, 4) = 66

=== lscheckport: the first matching port of the first readable switch
set: ls.0.ports=0:0x04,1:0x81,2:0x83,3:0x84,4:0x84,6:0x80 ls.5.ports=0:0x84
$ hasmtest lscheckport 0 15 4
> LS 0 phy port 3 check=1
@ ls_get_swport(0) = 0
$ hasmtest lscheckport 4 15 4
> LS 0 phy port 4 check=1
$ hasmtest lscheckport 5 15 4
> LS 16 phy port 16 check=0
$ hasmtest lscheckport 0 15 4 1
> LS 5 phy port 0 check=1
$ hasmtest lscheckport 9 5 0 0 1
> LS 1 phy port 9 check=0
$ hasmtest lscheckport 0 1799
> LS 0 phy port 6 check=1

=== lscheckport: no switch readable, empty switch range, bounds
$ hasmtest lscheckport 0 15 0 0 3
> LS 3 phy port 0 check=0
@ ls_get_swport(0) = -1
@ ls_get_swport(1) = -1
@ ls_get_swport(2) = -1
$ hasmtest lscheckport 0 15
> LS 16 phy port 0 check=0
$ hasmtest lscheckport 0 15 4 3 3
> LS 3 phy port 0 check=0
@ ipcExit()
$ hasmtest lscheckport 0 1800
@ ipcExit()
$ hasmtest lscheckport -1 5
@ ipcExit()

=== attributes of a switch and of the system; a name that is not UTF-8 is not stored
set: ls.1.attr.NAME=blue sysattr.mode=fast
$ hasmtest setatt 1 COLOR red
@ ls_set_attribute(1, "COLOR", "red") = 0
$ hasmtest getatt 1 COLOR
> The attribute is red
@ ls_get_attribute(1, "COLOR") = 0
$ hasmtest getatt 1 NAME
> The attribute is blue
$ hasmtest getatt 4 NAME
> The attribute is 
@ ls_get_attribute(4, "NAME") = -1
$ hasmtest getsysatt mode
> The attribute is fast
@ ls_get_sys_attribute("mode") = 0
$ hasmtest setsysatt mode slow
@ ls_set_sys_attribute("mode", "slow") = 0
$ hasmtest getsysatt mode
> The attribute is slow
$ hasmtest getsysatt none
> The attribute is 
$ hasmtest setatt 1 'N\xff' x
@ ls_set_attribute(1, {"bytes":"4eff"}, "x") = -1
$ hasmtest setsysatt 'N\xff' x
@ ls_set_sys_attribute({"bytes":"4eff"}, "x") = -1

=== a failed attribute read prints an empty value
set: ls.1.attr.NAME=blue sysattr.mode=fast
fail: ls_get_attribute=-1 ls_get_sys_attribute=-1
$ hasmtest getatt 1 NAME
> The attribute is 
$ hasmtest getsysatt mode
> The attribute is 

=== peer version: a failed call shows a cleared record
fail: ls_get_peer_version=-1
$ hasmtest ls_get_peer_version
> Peer firmware version:0.0, rc=-1

=== get_hsess: local then remote, times as eight hex digits
set: "hsess.local=6,1700000000,1700000100,1700000200,4294967295,Unexpected reboot" "hsess.remote=2,1,0,255,16,rrrrrrrrrrrrrrrrrrrrrrrrrrr"
$ hasmtest get_hsess
> Lsess:rc=0,fl=6,ch=ffffffff,up=6553f100,ac=6553f164,sy=6553f1c8,rbr=Unexpected reboot
> Rsess:rc=0,fl=2,ch=00000010,up=00000001,ac=00000000,sy=000000ff,rbr=rrrrrrrrrrrrrrrrrrrrrrrrrrr
@ has_get_hsess(1) = 0
@ has_get_hsess(0) = 0

=== dump: shown, then removed; any argument sets the flag
set: dump_text=one-line-dump
$ hasmtest dump
>- one-line-dump
@ hasm_dump({"flag":0,"path":"/tmp/hasmdump.$PID"}) = 0
= tmp/hasmdump.$PID
$ hasmtest xdumpx all
>- one-line-dump
@ hasm_dump({"flag":1,"path":"/tmp/hasmdump.$PID"}) = 0
= tmp/hasmdump.$PID

=== dump: no readable file, no output
fail: hasm_dump=-1
$ hasmtest dump
@ hasm_dump({"flag":0,"path":"/tmp/hasmdump.$PID"}) = -1

=== dump: a root too long for the whole command line is refused and the file removed
env: CHASSIS_SIM_ROOT=dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd
$ chassis-sim init dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd
$ hasmtest dump
= dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/dddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddddd/tmp/hasmdump.$PID
