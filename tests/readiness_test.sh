#!/bin/bash
# haready on a table of chassis states: its status and its reason (the failover's own
# words; that it is OK exactly when hafailover goes ahead is the walk's to check, in
# chassis_walk.py), and it changes nothing: the state is as it was and its journal holds
# only the calls that read.
# Usage: readiness_test.sh BIN_DIR [EMULATOR]
# shellcheck source=tests/chassis_env.sh
source "$(dirname "$0")/chassis_env.sh"
export CHASSIS_SIM_CLOCK=1700000000

unhealthy="Warning: This command is being run on a control processor(CP) based system. One or more devices on the standby CP is not healthy. Please fix the error before you do failover."
lock="haFailover: can't failover because system is not ready yet or other LS/HA config is in progress."
# name | scenario | chassis-sim set and fail | haready status | haready's reason
rows="
ready|redundant||0|the chassis can fail over now
standby unhealthy|redundant|set state=0x000000C7|2|$unhealthy
suppressed|redundant|set state=0x080008C7|1|HA supressed
HA disabled, the sync bit left|redundant|set state=0x08000087|2|haFailover: HA not enabled. Please enable HA first.
not redundant|non-redundant||2|haFailover not allowed: the system is not in redundant mode.
not synchronized|redundant|set state=0x080000C3|2|haFailover not allowed: HA state is not synchronized.
DP upgrade in progress|redundant|set dp_upgrade=0|1|DP upgrade is in progress. Command not allowed.
DP upgrade over (9)|redundant|set dp_upgrade=9|0|the chassis can fail over now
lock just taken|redundant|set lock=4242,7,1699999990,hareboot|1|$lock
lock held past -c|redundant|set lock=4242,7,1699999000,hareboot|2|$lock
lock stamped after now (its time unsigned)|redundant|set lock=4242,7,4294967295,hareboot|1|$lock
DP upgrade and not redundant|non-redundant|set dp_upgrade=0|2|haFailover not allowed: the system is not in redundant mode.
ham_get_state fails|redundant|fail ham_get_state=-1|3|ham_get_state failed (-1)
ha_checklock fails|redundant|fail ha_checklock=1|3|ha_checklock failed (1)
the standby CP|standby||0|this is the standby CP; the chassis can fail over from its active CP
the standby CP, not synchronized|standby|set state=0x080000C2|2|haFailover not allowed: HA state is not synchronized.
no slots|no-slots||3|Not supported on this platform
"
# The calls a run of haready makes: reads only.
reads="ipc_max_msg_size ipcInit ficulibInit nslibInit esslibInit zonelibInit ns_condb_attach_impl getThisCPSlot esm_is_extnHcl_inprog getHAMStat ham_get_state ha_checklock ipcExit"
calls() {
    python3 -c 'import json, sys; print(" ".join(json.loads(l)["call"] for l in open(sys.argv[1], "rb")))' "$1"
}
n=0
while IFS='|' read -r name scenario setup want_status words; do
    [[ -z $name ]] && continue
    n=$((n + 1))
    a=$work/a$n
    chassis-sim init "$a" --scenario "$scenario" "${init_args[@]}" >/dev/null
    if [[ -n $setup ]]; then
        read -ra verb <<<"$setup"
        CHASSIS_SIM_ROOT=$a chassis-sim "${verb[@]}" || fail "$name: setup"
    fi
    CHASSIS_SIM_ROOT=$a chassis-sim journal --clear
    cp "$a/sim/state.json" "$work/before"
    out=$(cd "$a" && CHASSIS_SIM_ROOT=$a sbin/haready -v 2>&1)
    status=$?
    [[ $status == "$want_status" ]] || fail "$name: haready status $status (want $want_status): $out"
    first=${out%%$'\n'*}
    [[ $first == "HAREADY "*" - $words"* ]] || fail "$name: haready says '$first' (want the reason '$words')"
    cmp -s "$work/before" "$a/sim/state.json" || fail "$name: haready changed the state"
    [[ $(calls "$a/sim/journal.jsonl") == "$reads" ]] || fail "$name: haready made $(calls "$a/sim/journal.jsonl")"
done <<<"$rows"

if ((failures)); then
    echo "$failures failures"
    exit 1
fi
echo "readiness: all passed ($n states)"
