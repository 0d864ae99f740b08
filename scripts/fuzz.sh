#!/bin/bash
# Runs every fuzz target for a while (default 30 seconds each), starting from the seed
# corpus in tests/fuzz/corpus and first replaying the regression inputs kept in
# tests/fuzz/regressions. New inputs go to a scratch corpus; a crash leaves its input in
# build/fuzz/crashes and fails the run.
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
status=0
for target in "${targets[@]}"; do
    scratch=$(mktemp -d)
    seeds=tests/fuzz/corpus/$target
    regressions=tests/fuzz/regressions/$target
    if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
        build/fuzz/bin/"$target" "$regressions"/* >/dev/null 2>&1 ||
            { echo "$target: a regression input fails again"; status=1; }
    fi
    if build/fuzz/bin/"$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix=build/fuzz/crashes/"$target"- "$scratch" "$seeds" >build/fuzz/"$target".log 2>&1; then
        echo "$target: $(grep -Eo '#[0-9]+' build/fuzz/"$target".log | tail -1 | tr -d '#') runs, no failure"
    else
        echo "$target: FAILED"; tail -30 build/fuzz/"$target".log
        status=1
    fi
    rm -rf "$scratch"
done
rm -rf /tmp/fuzz-chassis.*
exit $status
