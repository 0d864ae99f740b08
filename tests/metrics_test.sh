#!/bin/bash
# The metrics of hasnapshot --prometheus against the real tools from Debian: promtool
# checks them on a ready chassis and on one that is not, and node_exporter, run on a
# loopback port with its textfile collector over the folder that
# contrib/prometheus/ha-metrics.sh writes, serves them to an HTTP client; promtool checks
# and tests the alerting rules beside it, and systemd-analyze verifies the writer's units.
# Usage: metrics_test.sh BIN_DIR EXAMPLE_SCRIPT TOOLS_DIR
set -u
bin=$(cd "$1" && pwd)
example=$2
tools=$3
work=$(mktemp -d)
exporter=
trap '[[ -n $exporter ]] && kill "$exporter" 2>/dev/null; rm -rf "$work"' EXIT
export PATH=$bin:$PATH LC_ALL=C
unset CHASSIS_SIM_CP
failures=0
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}
promtool=$tools/usr/bin/promtool
node_exporter=$tools/usr/bin/prometheus-node-exporter
[[ -x $promtool && -x $node_exporter ]] ||
    { echo "FAIL promtool and node_exporter are not in $tools: as root, scripts/deps.sh test puts them there"; exit 1; }

# name | scenario | chassis-sim set and fail | samples the metrics must hold (!: no line
# begins with it)
rows='
ready|redundant||ha_info{cp="0",slot="6"} 1;ha_ready 1;ha_ready_status 0;ha_lock_held 0;!ha_lock_taken
not synchronized, lock held|redundant|set state=0x080000C3 lock=4242,7,1699999000,hareboot|ha_ready 0;ha_ready_status 2;ha_ready_test_failed{test="synchronized"} 1;ha_lock_held 1;ha_lock_taken_timestamp_seconds 1699999000
calls failing|redundant|fail ham_get_state=-1 ha_checklock=5 getThisCPNum=7|ha_ready 0;ha_ready_status 3;ha_platform_call_failed{call="ham_get_state"} -1;ha_platform_call_failed{call="getThisCPNum"} 7;ha_platform_call_failed{call="ha_checklock"} 5;ha_ready_test_failed{test="standby_healthy"} 0;!ha_ready_test_failed{test="synchronized"};!ha_ready_test_failed{test="lock_free"};!ha_lock
a getHAMStat word of 0, not the state word|redundant|fail getHAMStat=0|!ha_platform_call_failed
the standby CP|standby||ha_ready 1;ha_ready_status 0;ha_active_cp 0;ha_this_cp 1;!ha_ready_test_failed{test="active"}
'
n=0
while IFS='|' read -r name scenario setup samples; do
    [[ -z $name ]] && continue
    n=$((n + 1))
    c=$work/c$n
    chassis-sim init "$c" --scenario "$scenario" >/dev/null || exit 1
    if [[ -n $setup ]]; then
        read -ra verb <<<"$setup"
        CHASSIS_SIM_ROOT=$c chassis-sim "${verb[@]}" || exit 1
    fi
    CHASSIS_SIM_ROOT=$c CHASSIS_SIM_CLOCK=1700000000 "$c/sbin/hasnapshot" --prometheus >"$work/m$n" ||
        fail "$name: hasnapshot --prometheus"
    out=$("$promtool" check metrics <"$work/m$n" 2>&1) || fail "$name: promtool check metrics: $out"
    [[ -z $out ]] || fail "$name: promtool has something to say: $out"
    IFS=';' read -ra want <<<"$samples"
    for sample in "${want[@]}"; do
        if [[ $sample == !* ]]; then
            ! grep -q "^${sample#!}" "$work/m$n" || fail "$name: a sample '${sample#!}...'"
        else
            grep -qxF "$sample" "$work/m$n" || fail "$name: no sample '$sample'"
        fi
    done
done <<<"$rows"

# node_exporter's textfile collector serves what the example wrote, on a loopback port.
textfiles=$work/textfile
mkdir "$textfiles"
HASNAPSHOT=$work/c2/sbin/hasnapshot CHASSIS_SIM_ROOT=$work/c2 sh "$example" "$textfiles" ||
    fail "the example did not write the file"
[[ $(ls -A "$textfiles") == ha.prom ]] || fail "the example left $(ls -A "$textfiles")"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
"$node_exporter" --web.listen-address="127.0.0.1:$port" --collector.disable-defaults \
    --collector.textfile --collector.textfile.directory="$textfiles" >"$work/exporter.log" 2>&1 &
exporter=$!
scrape=$(python3 - "$port" <<'PY'
import sys, time, urllib.request
for _ in range(100):
    try:
        print(urllib.request.urlopen(f"http://127.0.0.1:{sys.argv[1]}/metrics", timeout=5).read().decode())
        break
    except OSError:
        time.sleep(0.1)
PY
)
grep -qx 'ha_ready 0' <<<"$scrape" && grep -qx 'ha_ready_status 2' <<<"$scrape" &&
    grep -qx 'ha_ready_test_failed{test="synchronized"} 1' <<<"$scrape" &&
    grep -qx 'node_textfile_scrape_error 0' <<<"$scrape" ||
    fail "node_exporter did not serve the metrics: $(grep -E '^(ha_ready|node_textfile)' <<<"$scrape") $(tail -3 "$work/exporter.log")"
# Written again while it serves: the new file replaces the old one whole.
CHASSIS_SIM_ROOT=$work/c2 chassis-sim set state=0x080000C7 lock=free
HASNAPSHOT=$work/c2/sbin/hasnapshot CHASSIS_SIM_ROOT=$work/c2 sh "$example" "$textfiles"
scrape=$(python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(f"http://127.0.0.1:{sys.argv[1]}/metrics", timeout=5).read().decode())' "$port")
grep -qx 'ha_ready 1' <<<"$scrape" || fail "the file written again was not served"

# A failed run removes the file, so that no old sample stands as if current; a run
# stopped by SIGTERM, as a service manager stops a hung one, leaves nothing behind.
HASNAPSHOT=/bin/false sh "$example" "$textfiles" 2>/dev/null && fail "a failed run ended with 0"
[[ -z $(ls -A "$textfiles") ]] || fail "a failed run left $(ls -A "$textfiles")"
# The signal is sent once the command runs: one sent between the writer's fork and its
# exec would be lost with the handlers the child inherited.
printf '#!/bin/sh\n: >"$0.running"\nexec sleep 600\n' >"$work/hang" && chmod +x "$work/hang"
HASNAPSHOT=$work/hang setsid sh "$example" "$textfiles" 2>/dev/null &
hung=$!
until [[ -e $work/hang.running ]]; do sleep 0.1; done
[[ -n $(ls -A "$textfiles") ]] || fail "the writer made no temporary file"
kill -TERM -- "-$hung"
{ wait "$hung"; } 2>/dev/null
[[ -z $(ls -A "$textfiles") ]] || fail "a run stopped by SIGTERM left $(ls -A "$textfiles")"

# The alerting rules: valid, and each fires for what it names and not for a ready CP.
rules=$(dirname "$example")
out=$("$promtool" check rules "$rules/ha-alerts.yml" 2>&1) || fail "promtool check rules: $out"
out=$(cd "$rules" && "$promtool" test rules ha-alerts.test.yml 2>&1) || fail "promtool test rules: $out"
out=$(cd "$rules" && "$promtool" check config prometheus-example.yml 2>&1) || fail "promtool check config: $out"

# The service and timer that run the writer: systemd-analyze verify has nothing to say.
units=$(cd "$rules/../systemd" && pwd)
out=$(systemd-analyze verify --man=no "$units/ha-metrics.service" "$units/ha-metrics.timer" 2>&1) &&
    [[ -z $out ]] || fail "systemd-analyze verify: $out"

if ((failures)); then
    echo "$failures failures"
    exit 1
fi
echo "metrics: all passed ($n chassis, promtool and node_exporter)"
