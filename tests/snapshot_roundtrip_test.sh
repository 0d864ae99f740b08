#!/bin/bash
# A chassis laid out from a snapshot answers as the chassis it was taken on: for each case
# of the table, snapshot a chassis, lay out a copy with chassis-sim init --from, and compare
# every read-only command's standard output, standard error and status on both, and the
# copy's own snapshot (all but the time it was taken). hasnapshot must leave the state file
# byte for byte as it was. Then the refusals of bad snapshots, none leaving a chassis.
# Usage: snapshot_roundtrip_test.sh BIN_DIR [EMULATOR]
# shellcheck source=tests/chassis_env.sh
source "$(dirname "$0")/chassis_env.sh"
cases=0
# A clock that stands still: what is judged at a time (the lock's age) is the same on both.
export CHASSIS_SIM_CLOCK=1800000000

fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}

only_reading=0
# The read-only commands, each with its arguments; then the commands that decide on the
# state and change it, each on a fresh copy of the chassis (hafailover answered y).
commands=("hashow" "hashow -l" "hashow -o" "haredundancy --show" "hachecklock"
    "hainfo show" "hasmtest get_hsess" "haready -v")
changing=("hafailover" "hadisable" "hasyncstart" "hasyncstop")

# answers ROOT OUT: every read-only command's output, error and status, one after another.
answers() {
    local root=$1 out=$2 line
    : >"$out"
    for line in "${commands[@]}"; do
        read -r -a words <<<"$line"
        {
            echo "\$ $line"
            CHASSIS_SIM_ROOT=$root "$root/sbin/${words[0]}" "${words[@]:1}" 2>"$work/err"
            echo "? $?"
            sed 's/^/! /' "$work/err"
        } >>"$out"
    done
    # A lock the CP could not read is laid out free: what a change does then is not known.
    ((only_reading)) && return
    for line in "${changing[@]}"; do
        rm -rf "$work/changed" && cp -a "$root" "$work/changed"
        {
            echo "\$ $line"
            echo y | CHASSIS_SIM_ROOT=$work/changed "$work/changed/sbin/$line" 2>"$work/err"
            echo "? $?"
            sed 's/^/! /' "$work/err"
        } >>"$out"
    done
}

# The snapshot without its time.
timeless() { grep -v '^  "taken": ' "$1"; }

# roundtrip NAME SCENARIO 'SET PAIRS' 'FAIL PAIRS' [ENV=VALUE]: one case of the table. Pairs
# are words of a bash array text, so that they may carry $'...' bytes.
roundtrip() {
    local name=$1 scenario=$2 sets=$3 fails=$4 env=${5:-}
    cases=$((cases + 1))
    local src=$work/src$cases copy=$work/copy$cases
    chassis-sim init "$src" --scenario "$scenario" "${init_args[@]}" >/dev/null || { fail "$name: init"; return; }
    local -a set_pairs fail_pairs
    eval "set_pairs=($sets)"
    eval "fail_pairs=($fails)"
    if ((${#set_pairs[@]})); then
        CHASSIS_SIM_ROOT=$src chassis-sim set "${set_pairs[@]}" || { fail "$name: set"; return; }
    fi
    if ((${#fail_pairs[@]})); then
        CHASSIS_SIM_ROOT=$src chassis-sim fail "${fail_pairs[@]}" || { fail "$name: fail"; return; }
    fi
    cp "$src/sim/state.json" "$work/before.json"
    env $env CHASSIS_SIM_ROOT="$src" "$src/sbin/hasnapshot" >"$work/snap$cases.json" 2>"$work/err"
    local status=$?
    [[ $status == 0 && ! -s $work/err ]] || fail "$name: hasnapshot status $status, stderr $(cat "$work/err")"
    cmp -s "$work/before.json" "$src/sim/state.json" || fail "$name: hasnapshot changed the state"
    python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert isinstance(d, dict)' \
        "$work/snap$cases.json" 2>/dev/null || fail "$name: the snapshot is not a JSON object"
    chassis-sim init "$copy" --from "$work/snap$cases.json" "${init_args[@]}" 2>"$work/err" ||
        { fail "$name: init --from: $(cat "$work/err")"; return; }
    # The source answers as the CP the snapshot was taken on (CHASSIS_SIM_CP included).
    (if [[ -n $env ]]; then export "${env?}"; fi; answers "$src" "$work/src$cases.txt")
    answers "$copy" "$work/copy$cases.txt"
    diff "$work/src$cases.txt" "$work/copy$cases.txt" >"$work/diff" ||
        fail "$name: the copy answers otherwise:"$'\n'"$(cat "$work/diff")"
    CHASSIS_SIM_ROOT=$copy "$copy/sbin/hasnapshot" >"$work/again$cases.json"
    diff <(timeless "$work/snap$cases.json") <(timeless "$work/again$cases.json") >"$work/diff" ||
        fail "$name: the copy's snapshot differs:"$'\n'"$(cat "$work/diff")"
}

# name | scenario | set | fail | environment
roundtrip "redundant" redundant "" ""
roundtrip "non-redundant" non-redundant "" ""
roundtrip "no-slots" no-slots "" ""
roundtrip "standby CP by environment" redundant "" "" CHASSIS_SIM_CP=1
roundtrip "held lock" redundant "lock=4242,7,1700000000,hareboot" ""
roundtrip "odd status texts" redundant \
    "$'status.local=say \"hi\" \\\\ back\tslash' $'status.remote=line\none\x01\x7f' 'status.summary=Gesund ✓ äöü'" ""
roundtrip "status texts not UTF-8" redundant \
    "$'status.local=\xff\xfe bytes' $'status.remote=half \xe2\x82' $'status.summary=\xc0\xaf'" ""
roundtrip "sessions with times" redundant \
    "hsess.local=6,1700000000,1700000100,1700000200,1700000300,Reboot@x 'hsess.remote=2,1690000000,0,1690000500,1690000000,$(printf 'r%.0s' {1..27})'" ""
roundtrip "unsynchronised" redundant "state=0x080000C3" ""
roundtrip "standby, unnamed bit and heartbeat" redundant "state=0x19100046 cocpu=1" ""
roundtrip "state unavailable" redundant "" "ham_get_state=-1"
roundtrip "CP identity failing" redundant "" "getThisCPSlot=-2 getPeerCPSlot=-3"
only_reading=1
roundtrip "sessions and lock failing" redundant "lock=1,2,3,x" "has_get_hsess=-3 ha_checklock=5"
only_reading=0
# What the changing commands decide on: the failover's every test.
roundtrip "DP upgrade in progress" redundant "dp_upgrade=0" ""
roundtrip "standby unhealthy" redundant "state=0x000000C7" ""
roundtrip "peer address failing" redundant "" "get_peer_ip_str=-1"

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
    answers "$work/format1" "$work/format1.txt" && diff "$work/src1.txt" "$work/format1.txt" >"$work/diff" ||
    fail "format 1: $(cat "$work/err" "$work/diff")"

# Standard output that cannot be written: the tool's message, status 255.
for target in /dev/full closed; do
    cases=$((cases + 1))
    if [[ $target == closed ]]; then
        err=$(CHASSIS_SIM_ROOT=$work/src1 "$work/src1/sbin/hasnapshot" 2>&1 >&-)
    else
        err=$(CHASSIS_SIM_ROOT=$work/src1 "$work/src1/sbin/hasnapshot" 2>&1 >"$target")
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
refuse "not JSON" '"{\"format\": 1,"' "it is not JSON: line 1, column 14: the text ends before the JSON value does"
# What the parser found is said in words, at its line and column, never with the bytes it read.
refuse "not UTF-8" '"{\"format\": \"\udcff\"}"' "it is not JSON: line 1, column 13: a string holds bytes that are not UTF-8"
# A key or a text of the snapshot is quoted with its controls escaped.
refuse "controls in a key" '{**d, "failed": {"\x1b[2J\x07\u009bx": 1}}' \
    '"failed.\x1B[2J\x07\xC2\x9Bx" is not a call that hasnapshot makes'
refuse "not an object" '[d]' "the top level is not an object"
refuse "unknown format" '{**d, "format": 3}' "format 3 is not known (known: 1, 2)"
refuse "format 2 without its facts" '{k: v for k, v in d.items() if k != "platform"}' '"platform" is missing'
refuse "DP upgrade state mistyped" '{**d, "platform": {**d["platform"], "dp_upgrade": "1"}}' \
    '"platform.dp_upgrade" is not an integer from -2147483648 to 2147483647'
refuse "verdict of another shape" '{**d, "ready": {"ok": True, "status": "OK", "reasons": {}}}' \
    '"ready" is not {"ok": BOOL, "status": TEXT, "reasons": [...]}'
refuse "format missing" '{k: v for k, v in d.items() if k != "format"}' '"format" is missing'
refuse "state mistyped" '{**d, "state": "0xC7"}' '"state" is not an integer from 0 to 2147483647'
refuse "status text too long" '{**d, "status": {**d["status"], "local": "x" * 128}}' \
    '"status.local" is longer than 127 bytes'
refuse "bytes not hex" '{**d, "status": {**d["status"], "local": {"bytes": "FF"}}}' \
    '"status.local" holds bytes that are not lowercase hex digits'
refuse "session time negative" '{**d, "sessions": {**d["sessions"], "local": {**d["sessions"]["local"], "up": -1}}}' \
    '"sessions.local.up" is not an integer from 0 to 4294967295'
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
