# hasnapshot: the HA state of this CP as one JSON object, from read-only calls only.

=== the default chassis: every key, and only the calls of the read-only commands
clock: 1800000000
$ hasnapshot
> {
>   "format": 2,
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
>   "failed": {},
>   "platform": {"dp_upgrade": 1, "model": 100, "board": 10, "peer_ip": "127.0.0.7"},
>   "ready": {"ok": true, "status": "OK", "reasons": []}
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
@ esm_is_extnHcl_inprog() = 1
@ sysconModel() = 100
@ sysconHwBoardModel() = 10
@ get_peer_ip_str() = 0

=== the standby CP with a held lock, odd texts, sessions, a co-CPU and unnamed bits
scenario: standby
set: lock=4242,7,1700000000,hareboot state=0x19100046 cocpu=1 hsess.local=4,1700000000,1700000100,1700000200,1700000300,Rb hsess.remote=6,1690000000,0,1690000500,1690000000, 'status.summary=Gesund ✓' 'rb_reason=Hareboot @ 12072026-101010'
clock: 1800000000
$ chassis-sim set 'status.local=tab\there "q" \\ \x01\x7f' 'status.remote=\xff\xfeok'
$ hasnapshot
> ...
>   "state": 420479046,
>   "bits": ["REDUNDANT", "SYNCHRONIZED", "HA_ENABLED", "0x00100000", "co-CPU heartbeat", "standby healthy", "0x10000000"],
>   "cp": {"slot": 7, "number": 1, "peer_slot": 6, "co_cpu": true},
>   "status": {"local": "tab\\there \"q\" \\\\ \\u0001\\u007f", "remote": {"bytes": "fffe6f6b"}, "summary": "Gesund \xe2\x9c\x93"},
>     "local": {"fl": 4, "up": 1700000000, "ac": 1700000100, "sy": 1700000200, "ch": 1700000300, "rbr": "Rb"},
>     "remote": {"fl": 6, "up": 1690000000, "ac": 0, "sy": 1690000500, "ch": 1690000000, "rbr": ""}
>   "lock": {"held": true, "pid": 4242, "trans": 7, "time": 1700000000, "cmd": "hareboot"},
>   "last_reboot_reason": "Hareboot @ 12072026-101010",
>   "ready": {"ok": false, "status": "CRITICAL", "reasons": [
>     {"test": "active", "words": "WARNING: Command not allowed on the standby CP : hafailover"},
>     {"test": "lock_free", "words": "haFailover: can't failover because system is not ready yet or other LS/HA config is in progress."}
>   ]}

=== failing calls are recorded with their results, their values null
fail: ham_get_state=-1 ha_checklock=5 getThisCPNum=7 has_get_hsess=-3 ham_get_rb_reason=-1
clock: 1800000000
$ hasnapshot
> ...
>   "state": null,
>   "bits": null,
>   "cp": {"slot": 6, "number": null, "peer_slot": 7, "co_cpu": false},
>   "status": null,
>     "local": null,
>     "remote": null
>   "lock": null,
>   "last_reboot_reason": null,
>   "failed": {"ham_get_state": -1, "getHAMStat": 134217927, "getThisCPNum": 7, "has_get_hsess(1)": -3, "has_get_hsess(0)": -3, "ha_checklock": 5, "ham_get_rb_reason": -1},
>   "ready": {"ok": false, "status": "UNKNOWN", "reasons": [
>     {"test": "ham_get_state", "words": "ham_get_state failed (-1)"},
>     {"test": "ha_checklock", "words": "ha_checklock failed (5)"}
>   ]}

=== the texts cannot be read, the slots fail, the state word differs the second time
fail: get_ha_status=1 getThisCPSlot=-2 getPeerCPSlot=-3 getHAMStat=-1
clock: 1800000000
$ hasnapshot
> ...
>   "cp": {"slot": null, "number": 0, "peer_slot": null, "co_cpu": false},
>   "status": null,
>   "failed": {"getHAMStat": -1, "getThisCPSlot": -2, "getPeerCPSlot": -3, "get_ha_status": 1},
>   "ready": {"ok": false, "status": "UNKNOWN", "reasons": [
>     {"test": "getHAMStat", "words": "getHAMStat failed (-1)"}
>   ]}

=== -h and any other argument print the usage, status 0, and read nothing
$ hasnapshot -h
> Usage: hasnapshot [--prometheus]
@ ipcExit()
$ hasnapshot --json
> Usage: hasnapshot [--prometheus]
@ ipcExit()
$ hasnapshot --prometheus -h
> Usage: hasnapshot [--prometheus]
@ ipcExit()

=== --prometheus: the same facts as metrics, on a chassis that cannot fail over, from the calls they need
set: lock=4242,7,1799999000,hareboot state=0x080000C3
fail: getThisCPNum=7
clock: 1800000000
$ hasnapshot --prometheus
> # HELP ha_info 1, with labels naming this CP: its number and its slot (empty when unread).
> # TYPE ha_info gauge
> ha_info{cp="",slot="6"} 1
> # HELP ha_ready 1 when haready says OK (hafailover would go ahead on the active CP; on the standby, the chassis can fail over from its active CP), else 0.
> # TYPE ha_ready gauge
> ha_ready 0
> # HELP ha_ready_status The status haready gives: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN.
> # TYPE ha_ready_status gauge
> ha_ready_status 2
> # HELP ha_ready_test_failed 1 for each of hafailover's tests that fails now, 0 for each that passes; one whose call failed is left out, and the active CP's on the standby.
> # TYPE ha_ready_test_failed gauge
> ha_ready_test_failed{test="platform"} 0
> ha_ready_test_failed{test="dp_upgrade"} 0
> ha_ready_test_failed{test="active"} 0
> ha_ready_test_failed{test="standby_healthy"} 0
> ha_ready_test_failed{test="ha_enabled"} 0
> ha_ready_test_failed{test="not_suppressed"} 0
> ha_ready_test_failed{test="redundant"} 0
> ha_ready_test_failed{test="synchronized"} 1
> ha_ready_test_failed{test="lock_free"} 1
> # HELP ha_state_bit Each named bit of the HA state word as this CP reads it (absent when unread).
> # TYPE ha_state_bit gauge
> ha_state_bit{bit="active"} 1
> ha_state_bit{bit="redundant"} 1
> ha_state_bit{bit="synchronized"} 0
> ha_state_bit{bit="ha_enabled"} 1
> ha_state_bit{bit="dual_cp"} 1
> ha_state_bit{bit="suppressed"} 0
> ha_state_bit{bit="cocpu_heartbeat"} 0
> ha_state_bit{bit="standby_healthy"} 1
> # HELP ha_active_cp The number of the CP that is active, 0 or 1 (absent when unread).
> # TYPE ha_active_cp gauge
> # HELP ha_this_cp The number of the CP these metrics were read on, 0 or 1 (absent when unread).
> # TYPE ha_this_cp gauge
> # HELP ha_lock_held 1 while the HA lock is held, else 0 (absent when unread).
> # TYPE ha_lock_held gauge
> ha_lock_held 1
> # HELP ha_lock_taken_timestamp_seconds When the HA lock that is held was taken, in seconds since 1970-01-01 UTC (absent when free or unread): its age is time() less this.
> # TYPE ha_lock_taken_timestamp_seconds gauge
> ha_lock_taken_timestamp_seconds 1799999000
> # HELP ha_platform_call_failed The result of each platform call that failed, by its name.
> # TYPE ha_platform_call_failed gauge
> ha_platform_call_failed{call="getThisCPNum"} 7
> # HELP ha_snapshot_timestamp_seconds When these metrics were read, in seconds since 1970-01-01 UTC.
> # TYPE ha_snapshot_timestamp_seconds gauge
> ha_snapshot_timestamp_seconds 1800000000
@ ham_get_state() = 134217923
@ getHAMStat() = 134217923
@ getThisCPNum() = 7
@ ha_checklock() = 0
@ esm_is_extnHcl_inprog() = 1
