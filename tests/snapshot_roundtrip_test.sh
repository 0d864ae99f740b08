#!/bin/bash
# Snapshots laid out with chassis-sim init --from, beside the walk (chassis_walk.py) that
# lays out a copy after every step of its sequences (a CP down among them): an old format,
# the copy's clock, a snapshot that cannot be written, and the refusals of bad snapshots,
# none leaving a chassis.
# Usage: snapshot_roundtrip_test.sh BIN_DIR [EMULATOR]
# shellcheck source=tests/chassis_env.sh
source "$(dirname "$0")/chassis_env.sh"
cases=0

# answers ROOT: every read-only command's output, error and status, one after another.
answers() {
    local line
    for line in "hashow" "hashow -l" "haredundancy --show" "hachecklock" "hainfo show" "haready -v"; do
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
    diff <(answers "$work/src") <(answers "$work/format1") >"$work/diff" || fail "format 1: $(cat "$work/err" "$work/diff")"

# The copy's clock reads the snapshot's time when it is laid out: a lock held for 100 s
# then is held for 100 s on the copy, whatever the host's clock says.
cases=$((cases + 1))
CHASSIS_SIM_ROOT=$work/src chassis-sim set lock=4242,7,1799999900,hareboot
CHASSIS_SIM_CLOCK=1800000000 CHASSIS_SIM_ROOT=$work/src "$work/src/sbin/hasnapshot" >"$work/aged.json"
chassis-sim init "$work/aged" --from "$work/aged.json" "${init_args[@]}"
out=$(CHASSIS_SIM_ROOT=$work/aged "$work/aged/sbin/haready")
[[ $? == 1 && $out == "HAREADY WARNING - "*" lock_age=10"[01]"s;0;600;0;" ]] || fail "the copy's clock: $out"

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
