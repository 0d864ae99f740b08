#!/bin/bash
# The fleet check contrib/ansible/ha-readiness.yml against simulated chassis on this
# machine: one host per chassis root (local connection, CHASSIS_SIM_ROOT set by a host
# variable), offline, without facts: a chassis for each verdict and for several reasons, and
# hosts whose command is missing, prints no whole snapshot, hangs or fails. It must fail
# exactly the hosts that cannot fail over, each with its reasons in the failover's words.
# Usage: ansible_readiness_test.sh BIN_DIR PLAYBOOK
set -u
bin=$(cd "$1" && pwd)
playbook=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PATH=$bin:$PATH LC_ALL=C.UTF-8
# Everything ansible keeps stays in the work directory; nothing is fetched.
export ANSIBLE_HOME=$work/ansible ANSIBLE_LOCAL_TEMP=$work/ansible/tmp \
    ANSIBLE_NOCOLOR=1 ANSIBLE_FORCE_COLOR=0 ANSIBLE_RETRY_FILES_ENABLED=0 \
    ANSIBLE_STDOUT_CALLBACK=default
unset CHASSIS_SIM_CP
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

command -v ansible-playbook >/dev/null || { echo "FAIL ansible-playbook is not installed"; exit 1; }

# host | scenario | chassis-sim set and fail | the verdict's line (for a host that fails)
rows="
standby|standby||
unhealthy|redundant|set state=0x000000C7|not ready (CRITICAL): Warning: This command is being run on a control processor(CP) based system. One or more devices on the standby CP is not healthy. Please fix the error before you do failover.
suppressed|redundant|set state=0x080008C7|not ready (WARNING): HA supressed
locked|redundant|set lock=4242,7,1699999990,hareboot|not ready (WARNING): haFailover: can't failover because system is not ready yet or other LS/HA config is in progress.; the HA lock is held by pid 4242 (hareboot) for 10 s
failing|redundant|fail ham_get_state=-1|not ready (UNKNOWN): ham_get_state failed (-1)
ready|redundant||
"
cat >"$work/inventory.yml" <<EOF
all:
  vars:
    ansible_connection: local
    ansible_python_interpreter: $(command -v python3)
  hosts:
EOF
while IFS='|' read -r host scenario setup line; do
    [[ -z $host ]] && continue
    chassis-sim init "$work/$host" --scenario "$scenario" >/dev/null || exit 1
    if [[ -n $setup ]]; then
        read -ra verb <<<"$setup"
        CHASSIS_SIM_ROOT=$work/$host chassis-sim "${verb[@]}" || exit 1
    fi
    cat >>"$work/inventory.yml" <<EOF
    $host:
      hasnapshot_command: $work/$host/sbin/hasnapshot
      hasnapshot_environment:
        CHASSIS_SIM_ROOT: $work/$host
        CHASSIS_SIM_CLOCK: "1700000000"
EOF
done <<<"$rows"
# The standby CP of the ready chassis, named as the same chassis: counted once.
cat >>"$work/inventory.yml" <<EOF
      ha_chassis: ready
    readycp1:
      ha_chassis: ready
      hasnapshot_command: $work/ready/sbin/hasnapshot
      hasnapshot_environment:
        CHASSIS_SIM_ROOT: $work/ready
        CHASSIS_SIM_CP: "1"
EOF
# Hosts whose command goes wrong: missing, not a snapshot, hanging, failing, a snapshot
# with a time that is no number, one of a format the check does not read.
printf '#!/bin/sh\necho "Segmentation fault" >&2\nexit 139\n' >"$work/crash" && chmod +x "$work/crash"
printf '#!/bin/sh\nsleep 600\n' >"$work/hang" && chmod +x "$work/hang"
CHASSIS_SIM_ROOT=$work/locked "$work/locked/sbin/hasnapshot" >"$work/good.json"
bad=0
for edit in 'd["lock"]["time"] = None' 'd["format"] = 3'; do
    bad=$((bad + 1))
    python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); exec(sys.argv[2]); print(json.dumps(d))' \
        "$work/good.json" "$edit" >"$work/bad$bad.json"
    printf '#!/bin/sh\ncat %s\n' "$work/bad$bad.json" >"$work/bad$bad" && chmod +x "$work/bad$bad"
done
cat >>"$work/inventory.yml" <<EOF
    missing:
      hasnapshot_command: $work/nothing/hasnapshot
    garbage:
      hasnapshot_command: /bin/date
    hanging:
      hasnapshot_command: $work/hang
      hasnapshot_timeout: 2
    crashing:
      hasnapshot_command: $work/crash
    untimed:
      hasnapshot_command: $work/bad1
    unknownformat:
      hasnapshot_command: $work/bad2
EOF

# run: runs the playbook; the hosts whose recap counts a failure, sorted.
run() {
    ansible-playbook -i "$work/inventory.yml" "$playbook" >"$work/out" 2>&1
    status=$?
    named=$(sed -n 's/^\([a-z]*\) *: ok=.* failed=[1-9].*/\1/p' "$work/out" | sort | tr '\n' ' ')
    named=${named% }
}
run
want="crashing failing garbage hanging locked missing suppressed unhealthy unknownformat untimed"
[[ $status != 0 && $named == "$want" ]] || { fail "want [$want] failed, got [$named], status $status:"; cat "$work/out"; }
# Each with its line, in the failover's words.
said() { grep -qF "\"msg\": \"$1: $2\"" "$work/out" || fail "$1: no line '$1: $2'"; }
while IFS='|' read -r host _ _ line; do
    [[ -z $line ]] || said "$host" "$line"
done <<<"$rows"
said missing "$work/nothing/hasnapshot could not be run: No such file or directory"
said garbage "/bin/date printed something that is not a whole snapshot"
said untimed "$work/bad1 printed something that is not a whole snapshot"
said unknownformat "$work/bad2 printed a snapshot of format 3, which this check does not read (it reads format 2)"
said standby "ready (standby CP; the failover is made on the active CP)"
said hanging "$work/hang did not answer in time and was stopped"
said crashing "$work/crash failed with status 139: Segmentation fault"
grep -q '"msg": "2 of 12 chassis can fail over now"' "$work/out" ||
    fail "the count of ready chassis: $(grep 'can fail over' "$work/out")"
# The hanging command was stopped on the host, not only waited for no longer.
! pgrep -f "$work/hang" >/dev/null || fail "the hanging command still runs: $(pgrep -af "$work/hang")"
! grep -q 'Traceback' "$work/out" || fail "a traceback"

((failures == 0)) && echo "the playbook failed exactly the unready hosts, with their reasons"
exit $((failures != 0))
