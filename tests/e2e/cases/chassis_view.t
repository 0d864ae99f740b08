# chassis-sim for people and scripts: the drawing of the chassis, the filtered journal.
# The runner fixes TZ=UTC; one case draws the times in another zone.

=== show draws the redundant chassis: the CPs side by side, the state word bit by bit, the sessions
$ chassis-sim show
> ...
> Chassis $ROOT
> | ACTIVE                              | | STANDBY, healthy                    |
> | state word 0x080000C7               | | state word 0x080000C6               |
> HA state word 0x080000C7 as seen from CP0
>   [x] 0x00000001  ACTIVE
>   [ ] 0x00000800  suppressed
>   other bits set    none
> HA lock free
>   CP0 (local): the current active session
>     session since   2023-11-14 22:18:20 UTC
>   CP1 (remote): no active session recorded
>     active since    never
>   summary           "HA enabled, Heartbeat Up, HA State synchronized"
>   peer version      9.2
> Injected faults none

=== show --json prints the stored state byte for byte
write: sim/state.json = {"active_cp":0,"app_name":"CLI","bits":134217926,"board":10,"cocpu":0,"dp_upgrade":1,"dump_text":"HA state machine dump\\nstate: active\\n","emulator":"","fail":{},"fcr_state":2,"hsess":[{"ac":0,"ch":1700000000,"fl":1,"rbr":"","sy":1700000300,"up":1700000000},{"ac":0,"ch":0,"fl":0,"rbr":"","sy":0,"up":0}],"ipc_max":8192,"lock":null,"ls":{},"model":100,"next_lport":1024,"next_ls":1,"next_trans":1,"node":1,"on_cocpu":0,"peer_ip":"127.0.0.7","peer_reachable":1,"peer_version":[9,2],"rb_reason":"","slots":[6,7],"status":{"local":"ok \\\\ fine","remote":"Healthy","summary":"HA enabled, Heartbeat Up, HA State synchronized"},"sysattr":{},"this_cp":0}\n
$ chassis-sim show --json
> {"active_cp":0,"app_name":"CLI","bits":134217926,"board":10,"cocpu":0,"dp_upgrade":1,"dump_text":"HA state machine dump\\nstate: active\\n","emulator":"","fail":{},"fcr_state":2,"hsess":[{"ac":0,"ch":1700000000,"fl":1,"rbr":"","sy":1700000300,"up":1700000000},{"ac":0,"ch":0,"fl":0,"rbr":"","sy":0,"up":0}],"ipc_max":8192,"lock":null,"ls":{},"model":100,"next_lport":1024,"next_ls":1,"next_trans":1,"node":1,"on_cocpu":0,"peer_ip":"127.0.0.7","peer_reachable":1,"peer_version":[9,2],"rb_reason":"","slots":[6,7],"status":{"local":"ok \\\\ fine","remote":"Healthy","summary":"HA enabled, Heartbeat Up, HA State synchronized"},"sysattr":{},"this_cp":0}
$ chassis-sim show --json --json
! chassis-sim: show takes only --json
@@ sim-usage
? 2

=== the journal filters, alone and together, and what they refuse
write: sim/journal.jsonl = {"pid":100,"cp":0,"call":"ha_lock","args":[0,0],"ret":0}\n{"pid":100,"cp":0,"call":"getHAMStat","args":[],"ret":199}\n{"pid":200,"cp":1,"call":"ha_lock","args":[0,0],"ret":1}\n{"pid":200,"cp":1,"call":"exec","args":["/bin/ping","-q"],"ret":0}\n{"pid":300,"cp":0,"call":"ipcExit","args":[],"ret":null}\n
$ chassis-sim journal
> ha_lock(0, 0) = 0
> getHAMStat() = 199
> ha_lock(0, 0) = 1
> exec("/bin/ping", "-q") = 0
> ipcExit()
$ chassis-sim journal --call ha_lock --call exec
> ha_lock(0, 0) = 0
> ha_lock(0, 0) = 1
> exec("/bin/ping", "-q") = 0
$ chassis-sim journal --pid 200
> ha_lock(0, 0) = 1
> exec("/bin/ping", "-q") = 0
$ chassis-sim journal --cp 1 --json
> {"pid":200,"cp":1,"call":"ha_lock","args":[0,0],"ret":1}
> {"pid":200,"cp":1,"call":"exec","args":["/bin/ping","-q"],"ret":0}
$ chassis-sim journal --last 1 --cp 0 --json --call ha_lock
> {"pid":100,"cp":0,"call":"ha_lock","args":[0,0],"ret":0}
$ chassis-sim journal --pid 0
! chassis-sim: bad value for --pid: '0' is not a process id
@@ sim-usage
? 2
$ chassis-sim journal --cp 2
! chassis-sim: bad value for --cp: '2' is not 0 or 1
@@ sim-usage
? 2
$ chassis-sim journal --clear --json
! chassis-sim: journal --clear takes no other option
@@ sim-usage
? 2

= sim/journal.jsonl: {"pid":100,"cp":0,"call":"ha_lock","args":[0,0],"ret":0}\n{"pid":100,"cp":0,"call":"getHAMStat","args":[],"ret":199}\n{"pid":200,"cp":1,"call":"ha_lock","args":[0,0],"ret":1}\n{"pid":200,"cp":1,"call":"exec","args":["/bin/ping","-q"],"ret":0}\n{"pid":300,"cp":0,"call":"ipcExit","args":[],"ret":null}\n
$ chassis-sim journal --clear
= sim/journal.jsonl:
$ chassis-sim journal
