#!/bin/bash
# Prints the benchmark figures: wall time of the read-only commands against /bin/true, the
# instructions of one run of each by part, hashow against the platform stub beside a C
# program making the same calls (host and qemu-ppc), and the CP executable's text on PowerPC.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
cmake --preset default >/dev/null && cmake --build --preset default >/dev/null
cmake --preset cp >/dev/null && cmake --build --preset cp >/dev/null
cp_ppc=()
if command -v powerpc-linux-gnu-g++ >/dev/null; then
    cmake --preset cp-ppc >/dev/null && cmake --build --preset cp-ppc >/dev/null
    cp_ppc=(--cp-ppc build/cp-ppc)
fi
exec python3 scripts/bench/bench.py --bin build/default/bin --cp build/cp "${cp_ppc[@]}" "$@"
