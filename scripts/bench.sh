#!/bin/bash
# Prints the benchmark figures: wall time of the read-only commands against /bin/true,
# the instructions of one hashow run, and the size of the tool's code on PowerPC.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
cmake --preset default >/dev/null && cmake --build --preset default >/dev/null
cp_objects=""
if command -v powerpc-linux-gnu-g++ >/dev/null; then
    cmake --preset cp-ppc >/dev/null && cmake --build --preset cp-ppc >/dev/null
    cp_objects=build/cp-ppc
fi
exec python3 tests/bench/bench.py --bin build/default/bin --cp-objects "$cp_objects" "$@"
