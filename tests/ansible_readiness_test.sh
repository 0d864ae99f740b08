#!/bin/bash
# The fleet check contrib/ansible/ha-readiness.yml against simulated chassis on this
# machine: one host per chassis root (local connection, CHASSIS_SIM_ROOT set by a host
# variable), offline, without facts. It must name exactly the chassis that are not ready.
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

command -v ansible-playbook >/dev/null || { echo "FAIL ansible-playbook is not installed"; exit 1; }

for c in ready unsynced standby; do
    chassis-sim init "$work/$c" $([[ $c == standby ]] && echo --scenario standby) >/dev/null || exit 1
done
CHASSIS_SIM_ROOT=$work/unsynced chassis-sim set state=0x080000C3 || exit 1

cat >"$work/inventory.yml" <<EOF
all:
  vars:
    ansible_connection: local
    ansible_python_interpreter: $(command -v python3)
  hosts:
EOF
for c in ready unsynced standby; do
    cat >>"$work/inventory.yml" <<EOF
    $c:
      hasnapshot_command: $work/$c/sbin/hasnapshot
      hasnapshot_environment:
        CHASSIS_SIM_ROOT: $work/$c
EOF
done

# run WANT: runs the playbook; the hosts it names as failed must be WANT (sorted, blank
# separated), and its status 0 exactly when WANT is empty.
run() {
    local want=$1 status named
    ansible-playbook -i "$work/inventory.yml" "$playbook" >"$work/out" 2>&1
    status=$?
    named=$(sed -n 's/^fatal: \[\([^]]*\)\]: FAILED!.*/\1/p' "$work/out" | sort | tr '\n' ' ')
    named=${named% }
    local ok=1
    [[ $named == "$want" ]] || ok=0
    if [[ -z $want ]]; then [[ $status == 0 ]] || ok=0; else [[ $status != 0 ]] || ok=0; fi
    if ((ok == 0)); then
        echo "FAIL want [$want] named, got [$named], status $status:"
        cat "$work/out"
        failures=$((failures + 1))
    fi
}

# The one that is not synchronised, and only it, with the host in the message.
run "unsynced"
grep -q '"msg": "unsynced is not ready for HA operations: state bits ACTIVE REDUNDANT HA_ENABLED DUAL_CP standby healthy; HA lock free"' "$work/out" ||
    { echo "FAIL the message does not name the host and its state:"; cat "$work/out"; failures=$((failures + 1)); }
# A held lock makes a synchronised chassis unready too.
CHASSIS_SIM_ROOT=$work/standby chassis-sim set lock=4242,7,1700000000,hareboot || exit 1
run "standby unsynced"
# The snapshots changed nothing: all ready once mended.
CHASSIS_SIM_ROOT=$work/unsynced chassis-sim set state=0x080000C7 || exit 1
CHASSIS_SIM_ROOT=$work/standby chassis-sim set lock=free || exit 1
run ""

((failures == 0)) && echo "the playbook named exactly the unready chassis"
exit $((failures != 0))
