#!/bin/bash
# The simulated chassis against a careless operator: populated and racing inits, closed
# streams, odd roots, a torn or missing journal, a journal that cannot grow, and kills.
# Usage: sim_holds_up_test.sh BIN_DIR
set -u
bin=$(cd "$1" && pwd)
export PATH=$bin:$PATH TZ=UTC LC_ALL=C
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# check NAME WANT_STATUS WANT_STDERR COMMAND...: runs COMMAND, compares status and stderr.
check() {
    local name=$1 want_status=$2 want_err=$3
    shift 3
    local err status
    err=$("$@" 2>&1 >/dev/null)
    status=$?
    if [[ $status != "$want_status" || $err != "$want_err" ]]; then
        echo "FAIL $name: status $status (want $want_status), stderr '$err' (want '$want_err')"
        failures=$((failures + 1))
    fi
}

# journal_whole ROOT: every journal line is one whole JSON object.
journal_whole() {
    python3 - "$1/sim/journal.jsonl" <<'PY'
import json, sys
for n, line in enumerate(open(sys.argv[1], "rb"), 1):
    if not isinstance(json.loads(line), dict):
        sys.exit(f"line {n} is not an object")
PY
}

chassis-sim init "$work/c" >/dev/null
export CHASSIS_SIM_ROOT=$work/c
c=$work/c

# A directory that holds a file is refused and left as it was.
mkdir "$work/pop" && echo keep >"$work/pop/f"
check "init over a populated directory" 1 \
    "chassis-sim: refusing '$work/pop': it is not empty; a chassis is laid out only in a new or empty directory" \
    chassis-sim init "$work/pop"
[[ $(ls -A "$work/pop") == f && $(cat "$work/pop/f") == keep ]] || { echo "FAIL populated directory changed"; failures=$((failures + 1)); }

# Of ten inits on one new directory exactly one succeeds.
for _ in $(seq 10); do (chassis-sim init "$work/race" >/dev/null 2>&1 && echo ok) & done >"$work/race.out"
wait
[[ $(grep -c ok "$work/race.out") == 1 ]] || { echo "FAIL racing inits: $(grep -c ok "$work/race.out") succeeded"; failures=$((failures + 1)); }

# The table: name, status, standard error, command.
mkdir -p "$work/x y" "$work/x_hashow"
cp -a "$c" "$work/x y/c"
chassis-sim init "$work/x_hashow/c" >/dev/null
check "CHASSIS_SIM_CP 2" 125 "chassis-sim: CHASSIS_SIM_CP is '2'; it must be 0 or 1" \
    env CHASSIS_SIM_CP=2 "$c/sbin/hashow"
check "CHASSIS_SIM_CP empty" 125 "chassis-sim: CHASSIS_SIM_CP is ''; it must be 0 or 1" \
    env CHASSIS_SIM_CP= "$c/sbin/hashow"
check "a root with a blank" 125 \
    "chassis-sim: refusing '$work/x y/c': a chassis path must not contain blanks or shell metacharacters" \
    env CHASSIS_SIM_ROOT="$work/x y/c" "$work/x y/c/sbin/hashow"
check "stdout closed" 255 "haadm: write error on standard output" sh -c "exec '$c/sbin/hashow' >&-"
check "stderr closed" 0 "" sh -c "exec '$c/sbin/hashow' 2>&- >/dev/null"
check "stdout closed, chassis-sim" 1 "" sh -c "exec chassis-sim journal >&- 2>/dev/null"
journal_whole "$c" || failures=$((failures + 1))

# An invocation name inside the root does not choose the command.
out=$(CHASSIS_SIM_ROOT=$work/x_hashow/c "$work/x_hashow/c/sbin/hachecklock")
[[ $out == "Lock is free" ]] || { echo "FAIL invocation name in the root: '$out'"; failures=$((failures + 1)); }

# A torn last line: the next writer starts a new line, the reader skips it.
printf '{"pid":1' >>"$c/sim/journal.jsonl"
lines=$(wc -l <"$c/sim/journal.jsonl")
"$c/sbin/hashow" >/dev/null
check "torn line" 0 "chassis-sim: line $((lines + 1)) of $c/sim/journal.jsonl is not a whole entry; skipped" \
    chassis-sim journal
[[ $(sed -n "$((lines + 1))p" "$c/sim/journal.jsonl") == '{"pid":1' ]] || { echo "FAIL torn line glued"; failures=$((failures + 1)); }
chassis-sim journal --clear

# A journal that is missing or a directory.
mv "$c/sim/journal.jsonl" "$work/j"
check "journal missing" 125 "chassis-sim: cannot read the journal $c/sim/journal.jsonl: No such file or directory" \
    chassis-sim journal
mkdir "$c/sim/journal.jsonl"
check "journal a directory" 125 "chassis-sim: cannot read the journal $c/sim/journal.jsonl: it is not a file" \
    chassis-sim journal
rmdir "$c/sim/journal.jsonl" && mv "$work/j" "$c/sim/journal.jsonl"

# A journal that cannot grow: the change fails and the state is as it was.
head -c 2048 /dev/zero | tr '\0' '\n' >>"$c/sim/journal.jsonl"
before=$(cat "$c/sim/state.json")
check "journal cannot grow" 125 "chassis-sim: cannot append to $c/sim/journal.jsonl: File too large" \
    bash -c "trap '' XFSZ; ulimit -f 2; exec '$c/sbin/hadisable' </dev/null"
[[ $(cat "$c/sim/state.json") == "$before" ]] || { echo "FAIL state changed without its journal line"; failures=$((failures + 1)); }
# ... also while the process holds the HA lock: the lock is freed, not left to a dead
# process.
err=$(bash -c 'chassis-sim set "lock=$$,7,0,hadisable" && trap "" XFSZ && ulimit -f 2 &&
    echo "$$" >&2 && exec "$0/sbin/hadisable" </dev/null' "$c" 2>&1 >/dev/null)
status=$?
pid=${err%%$'\n'*}
want="$pid
chassis-sim: cannot append to $c/sim/journal.jsonl: File too large
chassis-sim: the HA lock that process $pid held is freed"
[[ $status == 125 && $err == "$want" ]] || { echo "FAIL lock held when the journal cannot grow: status $status, '$err'"; failures=$((failures + 1)); }
chassis-sim journal --clear
[[ $("$c/sbin/hachecklock") == "Lock is free" ]] || { echo "FAIL lock left held"; failures=$((failures + 1)); }
# A lock that another process holds stays held.
chassis-sim set lock=1,7,0,other
bash -c 'head -c 2048 /dev/zero | tr "\0" "\n" >>"$0/sim/journal.jsonl"; trap "" XFSZ; ulimit -f 2;
    exec "$0/sbin/hadisable" </dev/null 2>/dev/null' "$c"
chassis-sim journal --clear
[[ $("$c/sbin/hachecklock" | head -1) == *"other"* ]] || { echo "FAIL another process's lock freed"; failures=$((failures + 1)); }
chassis-sim set lock=free
chassis-sim journal --clear

# Kills at any point: afterwards the state reads, no line is glued to the next, and
# the next change leaves no temporary state behind.
for i in $(seq 20); do
    "$c/sbin/hadisable" </dev/null >/dev/null 2>&1 &
    "$c/sbin/haenable" </dev/null >/dev/null 2>&1 &
    sleep "0.0$((i % 10))"
    kill -9 %1 %2 2>/dev/null
    wait 2>/dev/null
done
chassis-sim fail --clear
"$c/sbin/hashow" >/dev/null || { echo "FAIL state unreadable after kills"; failures=$((failures + 1)); }
python3 - "$c/sim/journal.jsonl" <<'PY' || failures=$((failures + 1))
import json, sys
for n, line in enumerate(open(sys.argv[1], "rb"), 1):
    try:
        json.loads(line)
    except ValueError:
        if b"}{" in line or line.endswith(b"}\n") and line.count(b'"pid"') > 1:
            sys.exit(f"FAIL line {n} glued: {line[:80]!r}")
PY
ls "$c/sim" | grep -q '^state.json.tmp' && { echo "FAIL temporary state left: $(ls "$c/sim")"; failures=$((failures + 1)); }

[[ $failures == 0 ]] && echo "all passed"
exit $((failures > 0))
