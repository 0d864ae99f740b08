#!/bin/bash
# Snapshots laid out with chassis-sim init --from: an old format, the copy's clock, a copy
# of each class of chassis that answers and decides as the chassis does, a snapshot that
# cannot be written, and the refusals of bad snapshots, none leaving a chassis.
# Usage: snapshot_roundtrip_test.sh BIN_DIR [EMULATOR]
# shellcheck source=tests/chassis_env.sh
source "$(dirname "$0")/chassis_env.sh"
cases=0

# answers ROOT: every read-only command's output, error and status, one after another.
answers() {
    local line
    for line in "hasnapshot" "hashow" "hashow -l" "hashow -o" "haredundancy --show" "hachecklock" "hainfo show" \
                "hasmtest get_hsess" "haready -v"; do
        read -r -a words <<<"$line"
        echo "\$ $line"
        CHASSIS_SIM_ROOT=$1 "$1/sbin/${words[0]}" "${words[@]:1}" 2>&1
        echo "? $?"
    done
}

chassis-sim init "$work/src" "${init_args[@]}" >/dev/null
CHASSIS_SIM_CLOCK=1800000000 CHASSIS_SIM_ROOT=$work/src "$work/src/sbin/hasnapshot" >"$work/snap1.json"

# A snapshot of format 1 (without the facts and the verdict) is still laid out: what it
# does not hold is the default chassis's.
python3 - "$work/snap1.json" "$work/format1.json" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
d = {k: v for k, v in d.items() if k not in ("platform", "ready")}
d["format"] = 1
json.dump(d, open(sys.argv[2], "w"))
PY
cases=$((cases + 1))
chassis-sim init "$work/format1" --from "$work/format1.json" "${init_args[@]}" 2>"$work/err" &&
    diff <(CHASSIS_SIM_CLOCK=1800000000 answers "$work/src") <(CHASSIS_SIM_CLOCK=1800000000 answers "$work/format1") >"$work/diff" || fail "format 1: $(cat "$work/err" "$work/diff")"

# The copy's clock reads the snapshot's time when it is laid out: a lock held for 100 s
# then is held for 100 s on the copy, whatever the host's clock says.
cases=$((cases + 1))
CHASSIS_SIM_ROOT=$work/src chassis-sim set lock=4242,7,1799999900,hareboot
CHASSIS_SIM_CLOCK=1800000000 CHASSIS_SIM_ROOT=$work/src "$work/src/sbin/hasnapshot" >"$work/aged.json"
chassis-sim init "$work/aged" --from "$work/aged.json" "${init_args[@]}"
out=$(CHASSIS_SIM_ROOT=$work/aged "$work/aged/sbin/haready")
[[ $? == 1 && $out == "HAREADY WARNING - "*" lock_age=10"[01]"s;0;600;0;" ]] || fail "the copy's clock: $out"

# For each class of chassis, a copy laid out from its snapshot answers every read-only
# command as the chassis does and decides hafailover, hadisable, hasyncstart and
# hasyncstop alike (each on fresh copies of both). The read-only commands leave the state
# as it was, and haready agrees with hafailover: on the active CP it is OK exactly when
# hafailover goes ahead, and otherwise names one of the reasons hafailover gives (UNKNOWN
# aside); on the standby CP it says so. Without the status texts the platform wrote, or
# with a lock that could not be read, a snapshot does not tell whether a CP is down: such
# copies are not asked to decide.
# scenario | what makes the class: chassis-sim verbs or "run COMMAND" of the chassis, ';' between
classes='
redundant|
standby|
non-redundant|
ha-disabled|
redundant|set lock=4242,7,1799999900,hareboot
redundant|set state=0x080000C3
redundant|set state=0x000000C7
redundant|set state=0x19100046 cocpu=1
redundant|set dp_upgrade=0
redundant|run hareset -p
redundant|run hafailover -f;run hareboot -f
redundant|fail getThisCPSlot=-2 getPeerCPSlot=-3 get_peer_ip_str=-1 has_get_hsess=-3
redundant|fail ham_get_state=-1 getHAMStat=-1 ha_checklock=1
standby|set $'"'"'status.local=say "hi" \\ tab\there\x01\x7f'"'"' $'"'"'status.summary=Gesund \xe2\x9c\x93 \xff'"'"'
'
# decide ROOT COMMAND: what COMMAND says and ends with, answered y, on a fresh copy of ROOT.
decide() {
    rm -rf "$work/try" && cp -a "$1" "$work/try"
    CHASSIS_SIM_ROOT=$work/try "$work/try/sbin/$2" <<<y 2>&1
    echo "? $?"
}
export CHASSIS_SIM_CLOCK=1800000000
n=0
while IFS='|' read -r scenario setup; do
    [[ -z $scenario ]] && continue
    n=$((n + 1)) cases=$((cases + 1))
    src=$work/class$n name="a $scenario chassis after '$setup'"
    chassis-sim init "$src" --scenario "$scenario" "${init_args[@]}" >/dev/null
    IFS=';' read -ra steps <<<"$setup"
    for step in "${steps[@]}"; do
        eval "words=($step)"
        if [[ ${words[0]} == run ]]; then
            CHASSIS_SIM_ROOT=$src "$src/sbin/${words[1]}" "${words[@]:2}" <<<y >/dev/null 2>&1
        else
            CHASSIS_SIM_ROOT=$src chassis-sim "${words[@]}" || fail "$name: chassis-sim ${words[*]}"
        fi
    done
    cp "$src/sim/state.json" "$work/before"
    answers "$src" >"$work/answers"
    cmp -s "$src/sim/state.json" "$work/before" || fail "$name: a command that only reads changed the state"
    CHASSIS_SIM_ROOT=$src "$src/sbin/hasnapshot" >"$work/snap.json"
    rm -rf "$work/copy" && chassis-sim init "$work/copy" --from "$work/snap.json" "${init_args[@]}" 2>"$work/err" &&
        diff "$work/answers" <(answers "$work/copy") >"$work/diff" || fail "$name: $(cat "$work/err" "$work/diff")"
    cp_is=$(python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); st = json.load(open(sys.argv[2]))
if d["status"] is not None and d["lock"] is not None and not st["status_set"]:
    print("active" if "ACTIVE" in d["bits"] else "standby")' "$work/snap.json" "$src/sim/state.json")
    [[ -n $cp_is ]] || continue
    for line in hafailover hadisable hasyncstart hasyncstop; do
        said=$(decide "$src" "$line")
        [[ $said == "$(decide "$work/copy" "$line")" ]] || fail "$name: $line decides otherwise on the copy"
        [[ $line == hafailover ]] && failover=$said
    done
    ready=$(sed -n '/^\$ haready -v$/,$p' "$work/answers")
    status=${ready##*\? } first=$(sed -n 2p <<<"$ready")
    if [[ $cp_is == standby ]]; then
        [[ $status == 3 || $first == *"standby CP"* ]] || fail "$name: haready on the standby CP says '$first'"
        continue
    fi
    ahead=$([[ $failover == *"Forcing Failover"*"? 0" ]] && echo 0 || echo 1)
    [[ $status == 3 || $((status == 0)) != "$ahead" ]] ||
        fail "$name: haready ended with $status, but hafailover $([[ $ahead == 0 ]] && echo went || echo "did not go") ahead"
    named=0
    while IFS= read -r reason; do
        [[ -n $reason && ${failover//$'\n'/ } == *"$reason"* ]] && named=1
    done < <(sed '1,2d;$d' <<<"$ready")
    [[ $status == [03] || $named == 1 ]] || fail "$name: hafailover gave none of haready's reasons: $failover"
done <<<"$classes"

# Standard output that cannot be written: the tool's message, status 255.
for target in /dev/full closed; do
    cases=$((cases + 1))
    if [[ $target == closed ]]; then
        err=$(CHASSIS_SIM_ROOT=$work/src "$work/src/sbin/hasnapshot" 2>&1 >&-)
    else
        err=$(CHASSIS_SIM_ROOT=$work/src "$work/src/sbin/hasnapshot" 2>&1 >"$target")
    fi
    status=$?
    [[ $status == 255 && $err == "haadm: write error on standard output" ]] ||
        fail "hasnapshot to $target: status $status, stderr '$err'"
done

# ---- refusals: one line naming the file, status 1, no chassis -----------------------------
good=$work/snap1.json
# refuse NAME 'PYTHON EXPRESSION ON d, THE GOOD SNAPSHOT' 'STDERR AFTER "chassis-sim: FILE: "'
refuse() {
    local name=$1 edit=$2 want=$3
    cases=$((cases + 1))
    local file=$work/bad$cases.json dir=$work/refused$cases
    python3 - "$good" "$file" "$edit" <<'PY'
import json, sys
d = json.load(open(sys.argv[1]))
out = eval(sys.argv[3], {"d": d, "json": json})
open(sys.argv[2], "w", errors="surrogateescape").write(out if isinstance(out, str) else json.dumps(out))
PY
    local err status
    err=$(chassis-sim init "$dir" --from "$file" 2>&1 >/dev/null)
    status=$?
    [[ $status == 1 && $err == "chassis-sim: $file: $want" ]] ||
        fail "$name: status $status, stderr '$err' (want 'chassis-sim: $file: $want')"
    [[ ! -e $dir ]] || fail "$name: a chassis was left behind"
}

# name | the snapshot made bad | the message
refuse "not JSON" '"{\"format\": 1,"' "it is not JSON at line 1, column 14"
# Where the parser stopped is given by its line and column, never with the bytes it read.
refuse "not UTF-8" '"{\"format\": \"\udcff\"}"' "it is not JSON at line 1, column 13"
# A key or a text of the snapshot is quoted with its controls escaped.
refuse "controls in a key" '{**d, "failed": {"\x1b[2J\x07\u009bx": 1}}' \
    '"failed.\x1B[2J\x07\xC2\x9Bx" is not a call that hasnapshot makes'
refuse "not an object" '[d]' "the top level is not an object"
refuse "unknown format" '{**d, "format": 3}' "format 3 is not known (known: 1, 2)"
refuse "format 2 without its facts" '{k: v for k, v in d.items() if k != "platform"}' '"platform" is missing'
refuse "a key given twice" 'json.dumps(d).replace("\"dp_upgrade\": 1", "\"dp_upgrade\": 1, \"dp_upgrade\": 5")' \
    '"platform.dp_upgrade" is given twice'
refuse "verdict of another shape" '{**d, "ready": {"ok": True, "status": "OK", "reasons": {}}}' \
    '"ready" is not {"ok": BOOL, "status": TEXT, "reasons": [...]}'
refuse "state mistyped" '{**d, "state": "0xC7"}' '"state" is not an integer from 0 to 2147483647'
refuse "status text too long" '{**d, "status": {**d["status"], "local": "x" * 128}}' \
    '"status.local" is longer than 127 bytes'
refuse "bytes not hex" '{**d, "status": {**d["status"], "local": {"bytes": "FF"}}}' \
    '"status.local" holds bytes that are not lowercase hex digits'
refuse "lock held by pid 0" '{**d, "lock": {"held": True, "pid": 0, "trans": 1, "time": 2, "cmd": "x"}}' \
    '"lock.pid" is 0 in a held lock'
refuse "null without its failure" '{**d, "state": None, "bits": None}' '"state" is null, but "failed" has no ham_get_state'
refuse "failure that is no failure" '{**d, "lock": None, "failed": {"ha_checklock": 0}}' \
    '"failed.ha_checklock" is not a failing result'
refuse "failure beside a value" '{**d, "failed": {"ha_checklock": 1}}' '"failed.ha_checklock" is there, but "lock" is not null'
refuse "one CP's session failing" '{**d, "sessions": {**d["sessions"], "local": None}, "failed": {"has_get_hsess(1)": -1}}' \
    "has_get_hsess failed for one CP only, or with two results; the simulated chassis fails it alike for both"

# From standard input, named so.
err=$(echo '{}' | chassis-sim init "$work/stdin" --from - 2>&1 >/dev/null)
[[ $? == 1 && $err == 'chassis-sim: standard input: "format" is missing' && ! -e $work/stdin ]] ||
    fail "refusal from standard input: '$err'"
err=$(chassis-sim init "$work/nofile" --from "$work/none.json" 2>&1 >/dev/null)
[[ $? == 1 && $err == "chassis-sim: $work/none.json: cannot read it: No such file or directory" && ! -e $work/nofile ]] ||
    fail "unreadable snapshot: '$err'"
err=$(chassis-sim init "$work/both" --from "$good" --scenario standby 2>&1 >/dev/null)
[[ $? == 2 && $err == "chassis-sim: --from and --scenario do not go together"$'\n'usage:* && ! -e $work/both ]] ||
    fail "--from with --scenario: '$err'"
# Endless input is read only so far, under a data limit far below what it would grow to:
# one line, status 1, nothing laid out. (A build that cannot start under the limit at all,
# one with AddressSanitizer or run through the emulator, runs without it.)
limit=(prlimit --data=$((64 << 20)))
"${limit[@]}" chassis-sim --version >/dev/null 2>&1 || { limit=(); echo "note: the endless snapshots without a data limit"; }
for source in "yes" "cat /dev/zero" "head -c 1048577 /dev/zero"; do
    err=$($source 2>/dev/null | "${limit[@]}" chassis-sim init "$work/endless" --from - 2>&1 >/dev/null)
    [[ $? == 1 && $err == "chassis-sim: standard input: more than 1048576 bytes; a snapshot is a few kilobytes" &&
       ! -e $work/endless ]] || fail "endless snapshot from $source: '$err'"
done
err=$("${limit[@]}" chassis-sim init "$work/endless" --from /dev/zero 2>&1 >/dev/null)
[[ $? == 1 && $err == "chassis-sim: /dev/zero: more than 1048576 bytes; a snapshot is a few kilobytes" && ! -e $work/endless ]] ||
    fail "endless snapshot from /dev/zero: '$err'"
# An option given twice is refused, not silently replaced by the second.
for twice in "--from $good --from $good" "--scenario standby --scenario=ha-disabled" "--emulator x --emulator y"; do
    read -ra words <<<"$twice"
    err=$(chassis-sim init "$work/twice" "${words[@]}" 2>&1 >/dev/null)
    [[ $? == 2 && $err == "chassis-sim: ${words[0]} is given twice"$'\n'usage:* && ! -e $work/twice ]] ||
        fail "init $twice: '$err'"
done
# A good snapshot from standard input lays out the chassis.
chassis-sim init "$work/piped" --from - "${init_args[@]}" <"$good" && [[ -f $work/piped/sim/state.json ]] ||
    fail "a snapshot from standard input"

if ((failures)); then
    echo "$failures of $cases cases failed"
    exit 1
fi
echo "all $cases cases passed"
