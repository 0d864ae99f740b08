#!/bin/bash
# Runs every fuzz target for a while (default 30 seconds each), starting from the seed
# corpus in tests/fuzz/corpus and first replaying the regression inputs kept in
# tests/fuzz/regressions. New inputs go to a scratch corpus; a crash leaves its input in
# build/fuzz/crashes and fails the run. Two targets run at a time, one a core.
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=($(ls build/fuzz/bin))
fi
mkdir -p build/fuzz/crashes

# fuzz TARGET: its report in build/fuzz/TARGET.report; status 1 when it failed.
fuzz() {
    local target=$1 status=0
    local scratch regressions=tests/fuzz/regressions/$1
    scratch=$(mktemp -d)
    exec >build/fuzz/"$target".report
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        build/fuzz/bin/"$target" "$regressions"/* >/dev/null 2>&1 ||
            { echo "$target: a regression input fails again"; status=1; }
    fi
    if build/fuzz/bin/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=build/fuzz/crashes/"$target"- "$scratch" tests/fuzz/corpus/"$target" \
        >build/fuzz/"$target".log 2>&1; then
        echo "$target: $(grep -Eo '#[0-9]+' build/fuzz/"$target".log | tail -1 | tr -d '#') runs, no failure"
    else
        echo "$target: FAILED"; tail -30 build/fuzz/"$target".log
        status=1
    fi
    rm -rf "$scratch"
    return $status
}

status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for target in "${targets[@]:i:2}"; do
        fuzz "$target" &
        pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || status=1
    done
done
for target in "${targets[@]}"; do
    cat build/fuzz/"$target".report
done
rm -rf /tmp/fuzz-chassis.*
exit $status
