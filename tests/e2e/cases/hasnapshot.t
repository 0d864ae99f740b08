# hasnapshot: the HA state of this CP as one JSON object, from read-only calls only.

=== the default chassis: every key, and only the calls of the read-only commands
clock: 1800000000
$ hasnapshot
> {
>   "format": 1,
>   "taken": 1800000000,
>   "state": 134217927,
>   "bits": ["ACTIVE", "REDUNDANT", "SYNCHRONIZED", "HA_ENABLED", "DUAL_CP", "standby healthy"],
>   "cp": {"slot": 6, "number": 0, "peer_slot": 7, "co_cpu": false},
>   "status": {"local": "Healthy", "remote": "Healthy", "summary": "HA enabled, Heartbeat Up, HA State synchronized"},
>   "sessions": {
>     "local": {"fl": 1, "up": 1700000000, "ac": 1700000000, "sy": 1700000300, "ch": 1700000000, "rbr": ""},
>     "remote": {"fl": 0, "up": 1700000000, "ac": 0, "sy": 0, "ch": 1700000000, "rbr": ""}
>   },
>   "lock": {"held": false},
>   "last_reboot_reason": "",
>   "failed": {}
> }
@ ham_get_state() = 134217927
@ getHAMStat() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 0
@ getPeerCPSlot() = 7
@ cocpu_present() = 0
@ get_ha_status(134217927) = 0
@ has_get_hsess(1) = 0
@ has_get_hsess(0) = 0
@ ha_checklock() = 0
@ ham_get_rb_reason() = 0
@ ipcExit()

=== the standby CP with a held lock, odd texts, sessions, a co-CPU and unnamed bits
scenario: standby
set: lock=4242,7,1700000000,hareboot state=0x19100046 cocpu=1 hsess.local=4,1700000000,1700000100,1700000200,1700000300,Rb hsess.remote=6,1690000000,0,1690000500,1690000000, 'status.summary=Gesund ✓' 'rb_reason=Hareboot @ 12072026-101010'
clock: 1800000000
$ chassis-sim set 'status.local=tab\there "q" \\ \x01\x7f' 'status.remote=\xff\xfeok'
$ hasnapshot
> {
>   "format": 1,
>   "taken": 1800000000,
>   "state": 420479046,
>   "bits": ["REDUNDANT", "SYNCHRONIZED", "HA_ENABLED", "0x00100000", "co-CPU heartbeat", "standby healthy", "0x10000000"],
>   "cp": {"slot": 7, "number": 1, "peer_slot": 6, "co_cpu": true},
>   "status": {"local": "tab\\there \"q\" \\\\ \\u0001\\u007f", "remote": {"bytes": "fffe6f6b"}, "summary": "Gesund \xe2\x9c\x93"},
>   "sessions": {
>     "local": {"fl": 4, "up": 1700000000, "ac": 1700000100, "sy": 1700000200, "ch": 1700000300, "rbr": "Rb"},
>     "remote": {"fl": 6, "up": 1690000000, "ac": 0, "sy": 1690000500, "ch": 1690000000, "rbr": ""}
>   },
>   "lock": {"held": true, "pid": 4242, "trans": 7, "time": 1700000000, "cmd": "hareboot"},
>   "last_reboot_reason": "Hareboot @ 12072026-101010",
>   "failed": {}
> }

=== a platform without CP slots: no platform refusal
scenario: no-slots
clock: 1800000000
$ hasnapshot
> {
>   "format": 1,
>   "taken": 1800000000,
>   "state": 1,
>   "bits": ["ACTIVE"],
>   "cp": {"slot": 0, "number": 0, "peer_slot": 0, "co_cpu": false},
>   "status": {"local": "Healthy", "remote": "Not present", "summary": ""},
>   "sessions": {
>     "local": {"fl": 0, "up": 1700000000, "ac": 1700000000, "sy": 1700000300, "ch": 1700000000, "rbr": ""},
>     "remote": {"fl": 0, "up": 0, "ac": 0, "sy": 0, "ch": 0, "rbr": ""}
>   },
>   "lock": {"held": false},
>   "last_reboot_reason": "",
>   "failed": {}
> }

=== failing calls are recorded with their results, their values null
fail: ham_get_state=-1 ha_checklock=5 getThisCPNum=7 has_get_hsess=-3 ham_get_rb_reason=-1
clock: 1800000000
$ hasnapshot
> {
>   "format": 1,
>   "taken": 1800000000,
>   "state": null,
>   "bits": null,
>   "cp": {"slot": 6, "number": null, "peer_slot": 7, "co_cpu": false},
>   "status": null,
>   "sessions": {
>     "local": null,
>     "remote": null
>   },
>   "lock": null,
>   "last_reboot_reason": null,
>   "failed": {"ham_get_state": -1, "getHAMStat": 134217927, "getThisCPNum": 7, "has_get_hsess(1)": -3, "has_get_hsess(0)": -3, "ha_checklock": 5, "ham_get_rb_reason": -1}
> }
@ ham_get_state() = -1
@ getHAMStat() = 134217927
@ getThisCPSlot() = 6
@ getThisCPNum() = 7
@ getPeerCPSlot() = 7
@ cocpu_present() = 0
@ has_get_hsess(1) = -3
@ has_get_hsess(0) = -3
@ ha_checklock() = 5
@ ham_get_rb_reason() = -1
@ ipcExit()

=== the texts cannot be read, the slots fail, the state word differs the second time
fail: get_ha_status=1 getThisCPSlot=-2 getPeerCPSlot=-3 getHAMStat=-1
clock: 1800000000
$ hasnapshot
> {
>   "format": 1,
>   "taken": 1800000000,
>   "state": 134217927,
>   "bits": ["ACTIVE", "REDUNDANT", "SYNCHRONIZED", "HA_ENABLED", "DUAL_CP", "standby healthy"],
>   "cp": {"slot": null, "number": 0, "peer_slot": null, "co_cpu": false},
>   "status": null,
>   "sessions": {
>     "local": {"fl": 1, "up": 1700000000, "ac": 1700000000, "sy": 1700000300, "ch": 1700000000, "rbr": ""},
>     "remote": {"fl": 0, "up": 1700000000, "ac": 0, "sy": 0, "ch": 1700000000, "rbr": ""}
>   },
>   "lock": {"held": false},
>   "last_reboot_reason": "",
>   "failed": {"getHAMStat": -1, "getThisCPSlot": -2, "getPeerCPSlot": -3, "get_ha_status": 1}
> }

=== -h and any other argument print the usage, status 0, and read nothing
$ hasnapshot -h
> Usage: hasnapshot
@ ipcExit()
$ hasnapshot --json
> Usage: hasnapshot
@ ipcExit()
$ hasnapshot a b
> Usage: hasnapshot
