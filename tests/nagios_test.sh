#!/bin/bash
# check_haready as Debian's nagios4 runs it: the engine, as its own user, with Debian's
# templates and the command that contrib/nagios/haready.cfg defines, checks a simulated
# chassis (laid out by that user) in every state, forced; the state and the performance
# data it records are read back from its status file.
# Usage: nagios_test.sh BIN_DIR   (as root: the engine runs as the nagios user; 77 skips)
set -u
bin=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
[[ $(id -u) == 0 ]] && id nagios >/dev/null 2>&1 && command -v nagios4 >/dev/null ||
    { echo "skipped: needs root, the nagios user and nagios4 (scripts/deps.sh test installs it)"; exit 77; }
work=$(mktemp -d)
engine=
trap '[[ -n $engine ]] && kill "$engine" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
failures=0
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}
as_nagios() { runuser -u nagios -- env PATH="$bin:$PATH" "$@"; }

# name | scenario | chassis-sim set and fail | the state the engine records | its output's
# start | who lays out the chassis (default: the engine's user)
rows='
ready|redundant||0|HAREADY OK - the chassis can fail over now
standby|standby||0|HAREADY OK - this is the standby CP
locked|redundant|set lock=4242,7,1699999990,hareboot|1|HAREADY WARNING - haFailover: can'"'"'t failover
unsynced|redundant|set state=0x080000C3|2|HAREADY CRITICAL - haFailover not allowed: HA state is not synchronized.
unreadable|redundant|fail ham_get_state=-1|3|HAREADY UNKNOWN - ham_get_state failed (-1)
unregistered|redundant|fail ipcInit=2|3|HAREADY UNKNOWN - the messaging service refused registration (ipcInit 2)
rootowned|redundant||3|HAREADY UNKNOWN - cannot open|root
'
cp "$bin/haadm" "$work/haadm" && ln -s haadm "$work/check_haready"
mkdir "$work/rw" "$work/results" "$work/c" "$work/plugins" && chown nagios:nagios "$work/rw" "$work/results" "$work/c"
# The plugin directory's check_haready reads the chassis named by the service.
printf '#!/bin/sh\nexport CHASSIS_SIM_ROOT=%s/c/$NAGIOS_SERVICEDESC CHASSIS_SIM_CLOCK=1700000000\nexec %s "$@"\n' \
    "$work" "$work/check_haready" >"$work/plugins/check_haready"
chmod 755 "$work/plugins/check_haready"
echo "\$USER1\$=$work/plugins" >"$work/resource.cfg"
# Debian's own templates, the shipped command, and a host with a service per state.
cat >"$work/objects.cfg" <<EOF
define hostgroup {
    hostgroup_name ha-cps
}
define host {
    use                generic-host
    host_name          chassis
    address            127.0.0.1
    max_check_attempts 1
}
EOF
names=()
while IFS='|' read -r name scenario setup state start owner; do
    [[ -z $name ]] && continue
    names+=("$name")
    if [[ $owner == root ]]; then
        "$bin/chassis-sim" init "$work/c/$name" --scenario "$scenario" >/dev/null || exit 1
    else
        as_nagios chassis-sim init "$work/c/$name" --scenario "$scenario" >/dev/null || exit 1
    fi
    if [[ -n $setup ]]; then
        read -ra verb <<<"$setup"
        CHASSIS_SIM_ROOT=$work/c/$name as_nagios chassis-sim "${verb[@]}" || exit 1
    fi
    cat >>"$work/objects.cfg" <<EOF
define service {
    use                 generic-service
    host_name           chassis
    service_description $name
    check_command       check_haready!600!10
    check_interval      3600
}
EOF
done <<<"$rows"
cat >"$work/nagios.cfg" <<EOF
log_file=$work/rw/nagios.log
cfg_file=/etc/nagios4/objects/templates.cfg
cfg_file=/etc/nagios4/objects/timeperiods.cfg
cfg_file=/etc/nagios4/objects/contacts.cfg
cfg_file=/etc/nagios4/objects/commands.cfg
cfg_file=$root/contrib/nagios/haready.cfg
cfg_file=$work/objects.cfg
resource_file=$work/resource.cfg
enable_environment_macros=1
allow_empty_hostgroup_assignment=1
object_cache_file=$work/rw/objects.cache
precached_object_file=$work/rw/objects.precache
status_file=$work/rw/status.dat
status_update_interval=1
temp_file=$work/rw/nagios.tmp
temp_path=$work/rw
lock_file=$work/rw/nagios.lock
check_result_path=$work/results
check_result_reaper_frequency=1
command_file=$work/rw/nagios.cmd
check_external_commands=1
retain_state_information=0
state_retention_file=$work/rw/retention.dat
nagios_user=nagios
nagios_group=nagios
interval_length=1
enable_notifications=0
use_syslog=0
EOF
out=$(nagios4 -v "$work/nagios.cfg" 2>&1) || { fail "nagios4 -v: $out"; exit 1; }
nagios4 -d "$work/nagios.cfg" || { fail "nagios4 did not start: $(cat "$work/rw/nagios.log")"; exit 1; }
for _ in $(seq 100); do [[ -s $work/rw/nagios.lock && -p $work/rw/nagios.cmd ]] && break; sleep 0.1; done
engine=$(cat "$work/rw/nagios.lock")
now=$(date +%s)
for name in "${names[@]}"; do
    echo "[$now] SCHEDULE_FORCED_SVC_CHECK;chassis;$name;$now" >"$work/rw/nagios.cmd"
done

# The engine's record of each service, once every one has been checked: NAME|STATE|OUTPUT|PERFDATA.
records() {
    awk -F= '/^servicestatus \{/ { s = 1; d = ""; st = ""; o = ""; p = ""; c = 0 }
             s && $1 ~ /^\tservice_description$/ { d = substr($0, index($0, "=") + 1) }
             s && $1 ~ /^\tcurrent_state$/ { st = $2 }
             s && $1 ~ /^\thas_been_checked$/ { c = $2 }
             s && $1 ~ /^\tplugin_output$/ { o = substr($0, index($0, "=") + 1) }
             s && $1 ~ /^\tperformance_data$/ { p = substr($0, index($0, "=") + 1) }
             s && /^\t\}/ { s = 0; if (c == 1) print d "|" st "|" o "|" p }' "$work/rw/status.dat" 2>/dev/null
}
for _ in $(seq 300); do
    [[ $(records | wc -l) == "${#names[@]}" ]] && break
    sleep 0.1
done
got=$(records)
while IFS='|' read -r name scenario setup state start owner; do
    [[ -z $name ]] && continue
    record=$(grep "^$name|" <<<"$got")
    IFS='|' read -r _ recorded output perfdata <<<"$record"
    [[ $recorded == "$state" && $output == "$start"* ]] ||
        fail "$name: the engine recorded state '$recorded', '$output' (want $state, '$start...')"
    # What the engine took for performance data is the check's, whole, without a U.
    want=$(cd "$work/c/$name" && NAGIOS_SERVICEDESC=$name runuser -u nagios -- "$work/plugins/check_haready" \
           -c 600 -t 10 2>/dev/null | head -1)
    [[ $want != *"|"* && -z $perfdata || $perfdata == "${want#*| }" ]] ||
        fail "$name: performance data '$perfdata', the check's '${want#*| }'"
    printf '%-13s state %s  %s | %s\n' "$name" "$recorded" "$output" "$perfdata"
done <<<"$rows"
# Stopped by its pid, and gone.
kill "$engine" && for _ in $(seq 50); do kill -0 "$engine" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$engine" 2>/dev/null || fail "the engine did not stop"
engine=

if ((failures)); then
    echo "$failures failures"
    exit 1
fi
echo "nagios: all passed (${#names[@]} states)"
