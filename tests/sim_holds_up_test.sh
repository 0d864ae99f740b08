#!/bin/bash
# The simulated chassis against a careless operator: populated and racing inits, closed
# streams, odd roots, a torn or missing journal, a journal that cannot grow, and kills.
# Usage: sim_holds_up_test.sh BIN_DIR [EMULATOR]
# shellcheck source=tests/chassis_env.sh
source "$(dirname "$0")/chassis_env.sh"

# check NAME WANT_STATUS WANT_STDERR COMMAND...: runs COMMAND, compares status and stderr.
check() {
    local name=$1 want_status=$2 want_err=$3
    shift 3
    local err status
    err=$("$@" 2>&1 >/dev/null)
    status=$?
    if [[ $status != "$want_status" || $err != "$want_err" ]]; then
        fail "$name: status $status (want $want_status), stderr '$err' (want '$want_err')"
    fi
}

chassis-sim init "$work/c" "${init_args[@]}" >/dev/null
export CHASSIS_SIM_ROOT=$work/c
c=$work/c

# A directory that holds a file is refused and left as it was.
mkdir "$work/pop" && echo keep >"$work/pop/f"
check "init over a populated directory" 1 \
    "chassis-sim: refusing '$work/pop': it is not empty; a chassis is laid out only in a new or empty directory" \
    chassis-sim init "$work/pop"
[[ $(ls -A "$work/pop") == f && $(cat "$work/pop/f") == keep ]] || fail "populated directory changed"

# Of ten inits on one new directory exactly one succeeds.
for _ in $(seq 10); do (chassis-sim init "$work/race" "${init_args[@]}" >/dev/null 2>&1 && echo ok) & done >"$work/race.out"
wait
[[ $(grep -c ok "$work/race.out") == 1 ]] || fail "racing inits: $(grep -c ok "$work/race.out") succeeded"

# An init killed at any step leaves DIR as it was, absent or empty, and what it left
# beside DIR is cleared by the next init, which succeeds.
for step in made dirs programs files state; do
    for before in absent empty; do
        d=$work/k-$step-$before
        [[ $before == empty ]] && mkdir "$d"
        status=$( (CHASSIS_SIM_INIT_STOP=$step chassis-sim init "$d" "${init_args[@]}" >/dev/null 2>&1
                   echo $?) 2>/dev/null)
        if [[ $before == absent ]]; then left=$([[ -e $d ]] && echo "$d made"); else left=$(ls -A "$d"); fi
        chassis-sim init "$d" "${init_args[@]}" >/dev/null
        again=$?
        siblings=$(ls -A "$work" | grep -F ".chassis-sim-init.")
        [[ $status == 137 && -z $left && $again == 0 && -z $siblings &&
           $(CHASSIS_SIM_ROOT=$d "$d/sbin/hachecklock") == "Lock is free" ]] ||
            fail "init killed at $step ($before): status $status, left '$left', again $again, siblings '$siblings'"
    done
done

# The emulator wrappers name the binaries as sh words, whatever their directory's path
# holds: a blank, or a command substitution that must never run. Without an emulator, a
# stand-in that runs the binary as the emulator would.
emu=$emulator
if [[ -z $emu ]]; then
    printf '#!/bin/bash\n[[ $1 == -0 ]] || exit 99\nname=$2\nshift 2\nexec -a "$name" "$@"\n' >"$work/emu"
    chmod +x "$work/emu"
    emu=$work/emu
fi
dir="$work/b \$(touch ran)'q"
mkdir "$dir" && cp "$real_bin/haadm" "$real_bin/chassis-sim" "$dir/"
CHASSIS_SIM_TOOL=$dir/haadm CHASSIS_SIM_PROGRAM=$dir/chassis-sim chassis-sim init "$work/q1" --emulator "$emu" >/dev/null
out=$(cd "$work" && CHASSIS_SIM_ROOT=$work/q1 "$work/q1/sbin/hachecklock" 2>&1 &&
      CHASSIS_SIM_ROOT=$work/q1 "$work/q1/bin/ping" -q 127.0.0.7 -c 2 2>&1 && echo pinged)
[[ $out == "Lock is free"$'\n'pinged && ! -e $work/ran ]] || fail "binaries in '$dir' through the emulator: '$out'"
# CHASSIS_SIM_TOOL or CHASSIS_SIM_PROGRAM that names no program: refused, nothing made.
for var in CHASSIS_SIM_TOOL CHASSIS_SIM_PROGRAM; do
    check "$var names nothing" 1 "chassis-sim: $var is '$work/nothing', which is not an executable file" \
        env "$var=$work/nothing" chassis-sim init "$work/q0"
done
[[ ! -e $work/q0 ]] || fail "init with a missing program made $work/q0"

# The table: name, status, standard error, command.
mkdir -p "$work/x y" "$work/x_hashow"
cp -a "$c" "$work/x y/c"
chassis-sim init "$work/x_hashow/c" "${init_args[@]}" >/dev/null
# What the environment held is shown byte for byte safe: no terminal control gets through.
check "CHASSIS_SIM_CP 2 with a control" 125 "chassis-sim: CHASSIS_SIM_CP is '2\\x1B[2J'; it must be 0 or 1" \
    env CHASSIS_SIM_CP=$'2\e[2J' "$c/sbin/hashow"
check "CHASSIS_SIM_CLOCK 5s" 125 \
    "chassis-sim: CHASSIS_SIM_CLOCK is '5s'; it must be whole seconds since the epoch, in decimal or after 0x" \
    env CHASSIS_SIM_CLOCK=5s "$c/sbin/hashow"
check "a root with a blank" 125 \
    "chassis-sim: refusing '$work/x y/c': a chassis path must not contain blanks or shell metacharacters" \
    env CHASSIS_SIM_ROOT="$work/x y/c" "$work/x y/c/sbin/hashow"
# The commands that paste the root into shell command lines, on a chassis renamed after
# init: refused before anything runs.
mkdir "$work/m;touch"
cp -a "$c" "$work/m;touch/c" && : >"$work/m;touch/c/sim/journal.jsonl"
for command in hadump "hareset -l"; do
    read -ra words <<<"$command"
    check "$command on a root with ';'" 125 \
        "chassis-sim: refusing '$work/m;touch/c': a chassis path must not contain blanks or shell metacharacters" \
        env CHASSIS_SIM_ROOT="$work/m;touch/c" "$work/m;touch/c/sbin/${words[0]}" "${words[@]:1}"
done
[[ ! -s "$work/m;touch/c/sim/journal.jsonl" && ! -e "$work/m" && ! -e /tarny ]] || fail "a root with ';' ran something"
"$c/sbin/hashow" >/dev/null
check "stdout closed, chassis-sim" 1 "" sh -c "exec chassis-sim journal >&- 2>/dev/null"
chassis-sim journal --clear

# Every command group with standard output and with standard error closed, each on a
# fresh copy of the chassis: the status, the end of standard error, and a journal that
# holds only whole entries, with the calls of a run with both streams open.
# command | status, stdout closed | status, stderr closed | standard error, stdout closed
# (w: ends with the write error; c: /bin/cat's complaint; -: nothing)
streams=(
    "hashow|255|0|w" "haenable -f|255|0|w" "hafreelock|0|0|-" "hafailover|255|255|w"
    "haredundancy|255|255|w" "hareboot -f|1|1|-" "hareset -l|0|0|-" "chassisreboot|1|1|w"
    "hasmtest dump|0|0|c" "hasmtest getport 1 2 3 4|255|0|w" "haready|3|0|w"
)
# calls JOURNAL: the calls of a journal whose every line is a whole entry, or nothing.
calls() {
    python3 -c 'import json, sys; print(" ".join(json.loads(l)["call"] for l in open(sys.argv[1], "rb")))' "$1" 2>/dev/null
}
cp -a "$c" "$work/fresh"
for row in "${streams[@]}"; do
    IFS='|' read -r command want_out want_err want_tail <<<"$row"
    read -ra words <<<"$command"
    for closed in none out err; do
        rm -rf "$work/s" && cp -a "$work/fresh" "$work/s"
        case $closed in
        none) CHASSIS_SIM_ROOT=$work/s "$work/s/sbin/${words[0]}" "${words[@]:1}" </dev/null >/dev/null 2>&1
              want=$(calls "$work/s/sim/journal.jsonl"); continue ;;
        out) err=$(CHASSIS_SIM_ROOT=$work/s sh -c 'exec "$0" "$@" >&-' "$work/s/sbin/${words[0]}" \
                   "${words[@]:1}" </dev/null 2>&1); status=$? want_status=$want_out ;;
        err) CHASSIS_SIM_ROOT=$work/s sh -c 'exec "$0" "$@" 2>&-' "$work/s/sbin/${words[0]}" \
                 "${words[@]:1}" </dev/null >/dev/null; status=$? want_status=$want_err err= ;;
        esac
        case $closed$want_tail in
        outw) ok=$([[ $err == *"haadm: write error on standard output" ]] && echo 1) ;;
        outc) ok=$([[ $err == *"cat: standard output: Bad file descriptor" ]] && echo 1) ;;
        *) ok=$([[ -z $err ]] && echo 1) ;;
        esac
        if [[ $status != "$want_status" || -z $ok || $(calls "$work/s/sim/journal.jsonl") != "$want" ]]; then
            fail "$command with std$closed closed: status $status (want $want_status), stderr '$err'"
        fi
    done
done

# With standard input closed the reason files get descriptor 0, and are still read and
# emptied.
rm -rf "$work/s" && cp -a "$work/fresh" "$work/s"
echo "Reset" >"$work/s/var/rb_reason"
printf "closed stdin" >"$work/s/tmp/rb_reason.alt"
CHASSIS_SIM_ROOT=$work/s sh -c 'exec "$0" init <&-' "$work/s/sbin/hainfo"
grep -q '^{"args":\["ham",1074058781,{"reason":"closed stdin","word":0}\],"call":"ioctl"' \
    "$work/s/sim/journal.jsonl" && [[ ! -s $work/s/var/rb_reason ]] ||
    fail "hainfo init with stdin closed: $(grep ioctl "$work/s/sim/journal.jsonl"), $(cat "$work/s/var/rb_reason")"

# restart with a hanging and a signalled /sbin/hainfo: the hanging one is ended with what
# it started (the shell's sleep would keep standard error open), each named.
for planted in "sleep 600|it did not end within 10 seconds; ended it by signal 9 (Killed)" \
               'kill -TERM $$|ended by signal 15 (Terminated)'; do
    IFS='|' read -r body want <<<"$planted"
    rm -rf "$work/s" && cp -a "$work/fresh" "$work/s"
    rm "$work/s/sbin/hainfo" && printf '#!/bin/sh\n%s\necho after\n' "$body" >"$work/s/sbin/hainfo"
    chmod +x "$work/s/sbin/hainfo"
    check "restart with hainfo: $body" 1 "chassis-sim: /sbin/hainfo init on CP0: $want" \
        env CHASSIS_SIM_ROOT="$work/s" chassis-sim restart 0
    out=$(CHASSIS_SIM_ROOT=$work/s chassis-sim journal --call restart --last 1)
    [[ $out == "restart(0, \"/sbin/hainfo init\") = \"$want\"" ]] || fail "journal of hainfo: $body: $out"
done

# A process that began before its CP's restart does not act after it: hafailover waiting
# at its question on CP0 across restart 0 fails no chassis back over.
rm -rf "$work/s" && cp -a "$work/fresh" "$work/s"
mkfifo "$work/answer"
(CHASSIS_SIM_ROOT=$work/s exec "$work/s/sbin/hafailover" <"$work/answer" >/dev/null 2>"$work/fo.err") &
waiting=$!
exec 8>"$work/answer"
for _ in $(seq 600); do [[ $(cat "$work/fo.err") == *"[y/n]? " ]] && break; sleep 0.1; done
CHASSIS_SIM_ROOT=$work/s chassis-sim restart 0 >/dev/null
echo y >&8 && exec 8>&-
wait "$waiting"
status=$?
last=$(tail -n 1 "$work/fo.err")
after=$(CHASSIS_SIM_ROOT=$work/s chassis-sim journal --pid "$waiting")
[[ $status == 125 && $last == *"chassis-sim: CP0 was restarted after this process began; its calls no longer reach the chassis" &&
   $after != *ha_lock* && $after != *orceFailover* ]] ||
    fail "a process across its CP's restart: status $status, '$last', journal '$after'"
[[ $(CHASSIS_SIM_ROOT=$work/s "$work/s/sbin/hashow" -l) == "STANDBY REDUNDANT HA_ENABLED DUAL_CP" ]] ||
    fail "the chassis failed back after the restart"

# chassis-sim's own output that cannot be written is reported.
"$c/sbin/hashow" >/dev/null
for command in "show" "journal"; do
    check "chassis-sim $command to a full device" 1 "chassis-sim: write error on standard output" \
        sh -c "exec chassis-sim $command >/dev/full"
done

# A file of another user at the dump name: the simulated hasm_dump does not empty it, and
# hasmtest dump neither shows nor removes it, and says why.
if [[ $(id -u) == 0 ]] && id nobody >/dev/null 2>&1; then
    rm -rf "$work/s" && cp -a "$work/fresh" "$work/s"
    err=$(CHASSIS_SIM_ROOT=$work/s sh -c 'echo theirs >"$0/tmp/hasmdump.$$" && chown nobody "$0/tmp/hasmdump.$$" &&
        echo $$ >&2 && exec "$0/sbin/hasmtest" dump' "$work/s" 2>&1 >/dev/null)
    pid=${err%%$'\n'*}
    out=$(cat "$work/s"/tmp/hasmdump.* 2>&1)
    ret=$(CHASSIS_SIM_ROOT=$work/s chassis-sim journal --call hasm_dump)
    [[ $out == theirs && $ret == *" = -1" &&
       $err == "$pid"$'\n'"hasmtest dump: /tmp/hasmdump.$pid is owned by another user; not shown" ]] ||
        fail "dump into another user's file: '$out', '$ret', '$err'"
fi

# An invocation name inside the root does not choose the command.
# However the program's path is spelled: as the root, with "./", with "//", through a
# symlink to the root, or as the default chassis under HOME.
mkdir -p "$work/x_hashow/home/.local/state/chassis-sim"
chassis-sim init "$work/x_hashow/home/.local/state/chassis-sim/default" "${init_args[@]}" >/dev/null
ln -s "$work/x_hashow/c" "$work/x_hashow/link"
while IFS='|' read -r name root program; do
    out=$(cd "$work" && env -u CHASSIS_SIM_ROOT ${root:+CHASSIS_SIM_ROOT=$root} HOME=$work/x_hashow/home \
        XDG_STATE_HOME= "$program" 2>&1)
    [[ $out == "Lock is free" ]] || fail "invocation name in the root, $name: '$out'"
done <<EOF
as the root|$work/x_hashow/c|$work/x_hashow/c/sbin/hachecklock
"./" before a relative path|x_hashow/c|./x_hashow/c/sbin/hachecklock
root through a symlink|$work/x_hashow/link|$work/x_hashow/c/sbin/hachecklock
the default chassis||$work/x_hashow/home/.local/state/chassis-sim/default/sbin/hachecklock
CP1's program|$work/x_hashow/c|./x_hashow//c/cp1/sbin/hachecklock
EOF

# A torn last line: the next writer starts a new line, the reader skips it.
printf '{"pid":1' >>"$c/sim/journal.jsonl"
lines=$(wc -l <"$c/sim/journal.jsonl")
"$c/sbin/hashow" >/dev/null
check "torn line" 0 "chassis-sim: line $((lines + 1)) of $c/sim/journal.jsonl is not a whole entry; skipped" \
    chassis-sim journal
[[ $(sed -n "$((lines + 1))p" "$c/sim/journal.jsonl") == '{"pid":1' ]] || fail "torn line glued"
chassis-sim journal --clear

# The journal is read as a stream, and --last N from its end: the same lines as the
# whole journal's last N, whatever the filter, with torn, foreign (of another type or
# without a call) and overlong lines across the reader's blocks; a damaged line is
# reported with its line number.
rm -rf "$work/s" && cp -a "$work/fresh" "$work/s"
python3 - "$work/s/sim/journal.jsonl" <<'PY'
import json, sys
lines = []
for n in range(3000):
    call = ["ham_get_state", "ha_lock", "ipcInit"][n % 3]
    lines.append(json.dumps({"args": [n, "x" * (n % 200)], "call": call, "cp": n % 2, "pid": 100 + n % 7, "ret": 0}))
lines[1000] = '{"pid":1,"cp":0'                    # torn
lines[1500] = '{"pid":"1","cp":0,"call":"x","args":[],"ret":0}'   # a field of another type
lines[1700] = '{"pid":1,"cp":0,"args":[],"ret":0}' # no call
lines[2000] = '[1,2]'                              # not an object
lines[2500] = '{"pid":1,"cp":0,"call":"' + "y" * (1100 * 1024) + '"'   # longer than any entry
lines[2998] = ''                                   # empty: skipped, not reported
open(sys.argv[1], "w").write("\n".join(lines) + "\n" + '{"pid":9,"cp":0,"call":"ha_lock","args":[],"ret":0}')
PY
torn="chassis-sim: line 1001 of $work/s/sim/journal.jsonl is not a whole entry; skipped
chassis-sim: line 1501 of $work/s/sim/journal.jsonl is not a whole entry; skipped
chassis-sim: line 1701 of $work/s/sim/journal.jsonl is not a whole entry; skipped
chassis-sim: line 2001 of $work/s/sim/journal.jsonl is not a whole entry; skipped
chassis-sim: line 2501 of $work/s/sim/journal.jsonl is not a whole entry; skipped"
for options in "" "--call ipcInit --cp 1" "--pid 103 --json"; do
    read -ra words <<<"$options"
    CHASSIS_SIM_ROOT=$work/s chassis-sim journal "${words[@]}" >"$work/all" 2>"$work/all.err"
    [[ $(cat "$work/all.err") == "$torn" ]] || fail "journal $options reports '$(cat "$work/all.err")'"
    for last in 2 1500 5000; do
        got=$(CHASSIS_SIM_ROOT=$work/s chassis-sim journal "${words[@]}" --last "$last" 2>/dev/null)
        [[ $got == "$(tail -n "$last" "$work/all")" ]] ||
            fail "journal $options --last $last is not the last $last lines"
    done
done
# --last reads back only as far as it must: the damaged lines before its lines are not read.
check "--last 1 reads no further back than its line" 0 "" env CHASSIS_SIM_ROOT="$work/s" chassis-sim journal --last 1
check "--last reports what it reads, numbered" 0 "$(tail -n 1 <<<"$torn")" env CHASSIS_SIM_ROOT="$work/s" chassis-sim journal --last 600
# Terminal controls read from the chassis are shown escaped: C0, DEL, C1 as a byte and as
# UTF-8, in the fields, the call names of the journal and the root.
rm -rf "$work/t" && cp -a "$work/fresh" "$work/t"
CHASSIS_SIM_ROOT=$work/t chassis-sim set $'peer_ip=1.2.3.4\e]0;pwned\a' $'app_name=a\xc2\x9b2Jb\x7f'
printf '{"pid":1,"cp":0,"call":"x\\u001b[2J\xc2\x9by","args":["\xc2\x9b"],"ret":0}\n' >"$work/t/sim/journal.jsonl"
out=$(CHASSIS_SIM_ROOT="$work/t" chassis-sim show)
grep -q '^  peer              "1.2.3.4\\x1B\]0;pwned\\x07"$' <<<"$out" &&
    grep -q '^  application       "a\\xC2\\x9B2Jb\\x7F"$' <<<"$out" ||
    fail "show escapes controls: $(grep -a 'peer \|application' <<<"$out")"
out=$(CHASSIS_SIM_ROOT="$work/t" chassis-sim journal)
[[ $out == 'x\x1B[2J\xC2\x9By("\xC2\x9B") = 0' ]] || fail "journal escapes controls: '$out'"
out=$(CHASSIS_SIM_ROOT="$work/t" chassis-sim journal --json)
[[ $out == '{"pid":1,"cp":0,"call":"x\u001b[2J\u009by","args":["\u009b"],"ret":0}' ]] ||
    fail "journal --json escapes C1: '$out'"
out=$(CHASSIS_SIM_ROOT="$work/t" chassis-sim show --json | LC_ALL=C grep -c $'[\x7f\x80-\x9f]')
[[ $out == 0 ]] || fail "show --json writes controls raw"
mkdir -p "$work/e"$'\x1b'"x"
cp -a "$work/fresh" "$work/e"$'\x1b'"x/c"
out=$(CHASSIS_SIM_ROOT="$work/e"$'\x1b'"x/c" chassis-sim show | head -1)
[[ $out == "Chassis $work/e\\x1Bx/c" ]] || fail "show escapes the root: '$out'"

# Every message that quotes a text from outside (the environment, an argument, a file
# name) shows its controls escaped: ESC, BEL, C1 as UTF-8, and a byte that is not UTF-8.
# One value with '[' (a shell metacharacter, so a root holding it is refused as unsafe)
# and one without (a root that holds it is safe, and its messages quote it).
v=$'\e[2J\a\xc2\x9b\xff' vs='\x1B[2J\x07\xC2\x9B\xFF'
r=$'\eM\a\xc2\x85' rs='\x1BM\x07\xC2\x85'
touch "$work/f$r"
mkdir "$work/pop$r" && touch "$work/pop$r/x"
unsafe="a chassis path must not contain blanks or shell metacharacters"
sim=$(realpath "$real_bin")/chassis-sim
# name | status | standard error | command (words as the shell reads them)
while IFS='|' read -r name status want command; do
    [[ -z $name ]] && continue
    eval "words=($command)"
    eval "want=\"$want\""
    check "escaped: $name" "$status" "$want" "${words[@]}"
done <<'EOF'
CHASSIS_SIM_ROOT, the tool|125|chassis-sim: no chassis in $work/n$rs (make one with: $sim init $work/n$rs)|env CHASSIS_SIM_ROOT="$work/n$r" "$c/sbin/hashow"
CHASSIS_SIM_ROOT unsafe, the tool|125|chassis-sim: refusing '$work/n$vs': $unsafe|env CHASSIS_SIM_ROOT="$work/n$v" "$c/sbin/hashow"
CHASSIS_SIM_TOOL|1|chassis-sim: CHASSIS_SIM_TOOL is '$work/t$vs', which is not an executable file|env CHASSIS_SIM_TOOL="$work/t$v" chassis-sim init "$work/q0"
init's directory|1|chassis-sim: refusing '$work/pop$rs': it is not empty; a chassis is laid out only in a new or empty directory|chassis-sim init "$work/pop$r"
set, a value|1|chassis-sim: bad value for model: '$vs' is not a number from -2147483648 to 2147483647; nothing changed|chassis-sim set "model=$v"
fail, a call|1|chassis-sim: '$vs=1' is not CALL=RESULT with a call that has an integer result; nothing changed|chassis-sim fail "$v=1"
EOF
# ... and the ones that a usage follows, on their first line.
for row in "journal --last|bad value for --last: '$vs' is not a count" \
           "journal|unknown journal option '$vs'" "|unknown command '$vs'"; do
    IFS='|' read -r command want <<<"$row"
    read -ra words <<<"$command"
    err=$(chassis-sim "${words[@]}" "$v" 2>&1 >/dev/null)
    [[ $? == 2 && ${err%%$'\n'*} == "chassis-sim: $want" ]] || fail "escaped: chassis-sim $command: '${err%%$'\n'*}'"
done
out=$(env -u CHASSIS_SIM_ROOT XDG_STATE_HOME="/x$v" chassis-sim help | tail -1)
[[ $out == "The default chassis: /x$vs/chassis-sim/default" ]] || fail "escaped: help: '$out'"
[[ ! -e $work/q0 ]] || fail "a refused init made $work/q0"

# A root that holds no chassis is refused with advice that works as printed: init into
# a new or empty directory, or into a new name inside one that holds other files.
mkdir "$work/empty" "$work/full" "$work/full/chassis" && touch "$work/full/x"
for row in "absent|$work/absent| (make one with: $sim init $work/absent)" \
           "populated|$work/full|, and init lays one out only in a new or empty directory (make one with: $sim init $work/full/chassis-2, then set CHASSIS_SIM_ROOT=$work/full/chassis-2)"; do
    IFS='|' read -r name dir advice <<<"$row"
    check "no chassis, $name" 125 "chassis-sim: no chassis in $dir$advice" env CHASSIS_SIM_ROOT="$dir" "$c/sbin/hashow"
done
chassis-sim init "$work/full/chassis-2" "${init_args[@]}" >/dev/null &&
    CHASSIS_SIM_ROOT=$work/full/chassis-2 check "the advice followed" 0 "" chassis-sim show

# A root that begins with '-': refused at init and at every open.
(
    cd "$work" || exit 1
    check "init of a root beginning with '-'" 1 "chassis-sim: refusing '-x/c': a chassis path must not begin with '-'" \
        chassis-sim init -x/c
    mkdir -p ./-x && cp -a "$work/fresh" ./-x/c
    check "hareset -l on a root beginning with '-'" 125 "chassis-sim: refusing '-x/c': a chassis path must not begin with '-'" \
        env CHASSIS_SIM_ROOT=-x/c ./-x/c/sbin/hareset -l
    exit "$failures"
) || failures=$((failures + 1))

# A journal that is missing or a directory.
mv "$c/sim/journal.jsonl" "$work/j"
check "journal missing" 125 "chassis-sim: cannot read the journal $c/sim/journal.jsonl: No such file or directory" \
    chassis-sim journal
mkdir "$c/sim/journal.jsonl"
check "journal a directory" 125 "chassis-sim: cannot read the journal $c/sim/journal.jsonl: it is not a file" \
    chassis-sim journal
rmdir "$c/sim/journal.jsonl" && mv "$work/j" "$c/sim/journal.jsonl"

# The chassis's own files replaced by a FIFO or a directory: refused, never waited on.
for row in state.json:fifo:hashow journal.jsonl:dir:haenable lock:fifo:haenable; do
    IFS=: read -r name kind command <<<"$row"
    rm -rf "$work/s" && cp -a "$work/fresh" "$work/s" && rm "$work/s/sim/$name"
    if [[ $kind == fifo ]]; then mkfifo "$work/s/sim/$name"; else mkdir "$work/s/sim/$name"; fi
    check "$command with sim/$name a $kind" 125 \
        "chassis-sim: cannot use $work/s/sim/$name: it is not a regular file" \
        env CHASSIS_SIM_ROOT="$work/s" timeout 10 "$work/s/sbin/$command" </dev/null
done

# The chassis lock is its owner's alone (one of an earlier version is narrowed), and one
# held by a process that is not of the simulator is waited for only so long.
chmod 644 "$c/sim/lock"
chassis-sim set model=100
[[ $(stat -c %a "$c/sim/lock") == 600 ]] || fail "lock mode $(stat -c %a "$c/sim/lock")"
if [[ $(id -u) == 0 ]] && id nobody >/dev/null 2>&1; then
    chmod 711 "$work"
    err=$(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups flock -n "$c/sim/lock" true 2>&1)
    [[ $err == *"Permission denied"* ]] || fail "another user opens the lock: '$err'"
    chmod 700 "$work"
fi
(exec 9<"$c/sim/lock" && flock 9 && exec sleep 600) &
holder=$!
until ! flock -n "$c/sim/lock" true; do sleep 0.1; done
before=$(cat "$c/sim/state.json")
for command in "chassis-sim set model=7" "$c/sbin/haenable"; do
    read -ra words <<<"$command"
    check "$command with the lock held" 125 \
        "chassis-sim: the chassis lock $c/sim/lock has been held by another process for 10 seconds; giving up" \
        "${words[@]}"
done
# The check does not wait as long: UNKNOWN once its timeout has passed.
out=$("$c/sbin/haready" -t 1 2>/dev/null)
[[ $? == 3 && $out == "HAREADY UNKNOWN - the platform did not answer within 1 s (-t)" ]] ||
    fail "haready -t 1 with the chassis lock held: '$out'"
kill "$holder" && wait "$holder" 2>/dev/null
[[ $(cat "$c/sim/state.json") == "$before" ]] || fail "state changed while the lock was held"
chassis-sim journal --clear

# A journal that cannot grow: the change fails and the state is as it was.
head -c 2048 /dev/zero | tr '\0' '\n' >>"$c/sim/journal.jsonl"
before=$(cat "$c/sim/state.json")
check "journal cannot grow" 125 "chassis-sim: cannot append to $c/sim/journal.jsonl: File too large" \
    bash -c "trap '' XFSZ; ulimit -f 2; exec '$c/sbin/hadisable' </dev/null"
[[ $(cat "$c/sim/state.json") == "$before" ]] || fail "state changed without its journal line"
# ... also while the process holds the HA lock: the lock is freed, not left to a dead
# process.
err=$(bash -c 'chassis-sim set "lock=$$,7,0,hadisable" && trap "" XFSZ && ulimit -f 2 &&
    echo "$$" >&2 && exec "$0/sbin/hadisable" </dev/null' "$c" 2>&1 >/dev/null)
status=$?
pid=${err%%$'\n'*}
want="$pid
chassis-sim: cannot append to $c/sim/journal.jsonl: File too large
chassis-sim: the HA lock that process $pid held is freed"
[[ $status == 125 && $err == "$want" ]] || fail "lock held when the journal cannot grow: status $status, '$err'"
chassis-sim journal --clear
[[ $("$c/sbin/hachecklock") == "Lock is free" ]] || fail "lock left held"
# A lock that another process holds stays held.
chassis-sim set lock=1,7,0,other
bash -c 'head -c 2048 /dev/zero | tr "\0" "\n" >>"$0/sim/journal.jsonl"; trap "" XFSZ; ulimit -f 2;
    exec "$0/sbin/hadisable" </dev/null 2>/dev/null' "$c"
chassis-sim journal --clear
[[ $("$c/sbin/hachecklock" | head -1) == *"other"* ]] || fail "another process's lock freed"
chassis-sim set lock=free
chassis-sim journal --clear

# A change killed at each of its steps (CHASSIS_SIM_CHANGE_STOP): the journal and the
# state agree, read at once (the change is in both or in neither: in neither before the
# rename, in both after it), the same command then works and lands in both, and no
# temporary state or record of the change is left.
# command | scenario | stop suffix | journal call | landed when (Python, st = show --json)
changes='
hadisable|redundant||disableHA|st["bits"] & 0x40 == 0
haenable -f|ha-disabled|:enableHA|enableHA|st["bits"] & 0x40 != 0
chassis-sim restart 0|redundant||restart|st["boots"][0] >= 1
chassis-sim set state=0x080000C3|redundant||-|st["bits"] == 0x080000C2
'
# landed CALL WHEN: "journal state", each 1 when the change is there, 0 when not; a
# change with no journal call (-) is judged by the state alone.
landed() {
    local in_state lines
    in_state=$(chassis-sim show --json | python3 -c "import json, sys; st = json.load(sys.stdin); print(int(bool($2)))")
    lines=$in_state
    [[ $1 != - ]] && lines=$(($(chassis-sim journal --json --call "$1" | wc -l) > 0))
    printf '%s %s\n' "$lines" "$in_state"
}
n=0
while IFS='|' read -r command scenario suffix call when; do
    [[ -z $command ]] && continue
    read -ra words <<<"$command"
    [[ ${words[0]} != chassis-sim ]] && words[0]=sbin/${words[0]}
    for step in pending tmp journal renamed; do
        n=$((n + 1))
        k=$work/kc$n
        chassis-sim init "$k" --scenario "$scenario" "${init_args[@]}" >/dev/null
        want_status=137 want=$'0 0\n1 1'
        [[ $step == renamed ]] && want=$'1 1\n1 1'
        if [[ $call == - && $step == journal ]]; then
            want_status=0 want=$'1 1\n1 1'  # chassis-sim set writes no journal line
        fi
        status=$( (cd "$k" && CHASSIS_SIM_ROOT=$k CHASSIS_SIM_CHANGE_STOP=$step$suffix \
                   "${words[@]}" </dev/null >/dev/null 2>&1; echo $?) 2>/dev/null)
        # The first process to open the chassis after the kill is a command of the
        # tool, which settles the change as it opens.
        shown=$( (cd "$k" && CHASSIS_SIM_ROOT=$k sbin/hashow 2>&1 >/dev/null; echo $?) 2>&1)
        got=$(CHASSIS_SIM_ROOT=$k landed "$call" "$when")
        (cd "$k" && CHASSIS_SIM_ROOT=$k "${words[@]}" </dev/null >/dev/null 2>&1)
        again=$?
        got+=$'\n'$(CHASSIS_SIM_ROOT=$k landed "$call" "$when")
        left=$(ls "$k/sim" | tr '\n' ' ')
        [[ $shown == 0 ]] || fail "hashow after $command killed at $step: $shown"
        [[ $status == "$want_status" && $got == "$want" && $again == 0 &&
           $left == "journal.jsonl lock program state.json tool " && ! -s $k/sim/lock ]] ||
            fail "$command killed at $step: status $status (want $want_status), journal and state '${got//$'\n'/, }' (want '${want//$'\n'/, }'), again $again, left '$left'"
    done
done <<<"$changes"

# The tool from BIN_DIR under NAME, through the emulator when there is one.
tool() {
    local name=$1
    shift
    if [[ -n $emulator ]]; then
        # shellcheck disable=SC2086
        $emulator -0 "$name" "$real_bin/haadm" "$@"
    else
        (exec -a "$name" "$real_bin/haadm" "$@")
    fi
}

# A chassis made by a build tree that was removed afterwards: every command and verb
# that opens it is refused with the command that mends it, before it changes anything;
# relink mends it and keeps the state and the journal.
mkdir "$work/gone"
cp "$real_bin/haadm" "$real_bin/chassis-sim" "$work/gone/"
CHASSIS_SIM_TOOL=$work/gone/haadm CHASSIS_SIM_PROGRAM=$work/gone/chassis-sim \
    chassis-sim init "$work/stale" "${init_args[@]}" >/dev/null
rm -rf "$work/gone"
stale="chassis-sim: the programs of the chassis in $work/stale are gone ($work/stale/sim/tool links to $work/gone/haadm, which is not there); relink them with: $(realpath "$real_bin")/chassis-sim relink"
cp "$work/stale/sim/state.json" "$work/stale.state"
CHASSIS_SIM_ROOT=$work/stale check "hareset -l on a stale chassis" 125 "$stale" tool hareset -l
CHASSIS_SIM_ROOT=$work/stale check "restart on a stale chassis" 125 "$stale" chassis-sim restart 0
cmp -s "$work/stale.state" "$work/stale/sim/state.json" && [[ ! -s $work/stale/sim/journal.jsonl && ! -e $work/stale/var/rb_reason ]] ||
    fail "a stale chassis changed"
CHASSIS_SIM_ROOT=$work/stale check "relink" 0 "" chassis-sim relink
CHASSIS_SIM_ROOT=$work/stale check "hareset -l after relink" 0 "" tool hareset -l
CHASSIS_SIM_ROOT=$work/stale check "restart after relink" 0 "" chassis-sim restart 0
[[ $(CHASSIS_SIM_ROOT=$work/stale "$work/stale/sbin/hainfo" show) == "Last Reboot Reason:[hareset @ "* ]] ||
    fail "the reason after relink and restart"

# Commands running while relink replaces their programs find the old one or the new one.
for _ in $(seq 10); do CHASSIS_SIM_ROOT=$work/stale "$work/stale/sbin/hashow" >/dev/null 2>>"$work/relink.err" || echo x >>"$work/relink.err"; done &
for _ in $(seq 3); do CHASSIS_SIM_ROOT=$work/stale chassis-sim relink 2>>"$work/relink.err"; done
wait
[[ ! -s $work/relink.err ]] || fail "commands during relink: $(head -3 "$work/relink.err")"

[[ $failures == 0 ]] && echo "all passed"
exit $((failures > 0))
