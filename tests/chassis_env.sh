# Sourced by the scripts that test the simulated chassis from the shell, with their
# arguments BIN_DIR [EMULATOR]: sets bin (where chassis-sim is found, on PATH), real_bin
# (BIN_DIR itself), emulator, work (a folder removed at exit), init_args (what
# chassis-sim init needs to run the chassis's programs), and failures, which "fail
# MESSAGE" counts. With EMULATOR (for example 'qemu-ppc -L /usr/powerpc-linux-gnu') the
# programs of BIN_DIR run through it, chassis-sim included.
set -u
bin=$(cd "$1" && pwd)
real_bin=$bin
emulator=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL $*"
    failures=$((failures + 1))
}
init_args=()
if [[ -n $emulator ]]; then
    mkdir "$work/bin"
    printf '#!/bin/sh\nexec %s %q "$@"\n' "$emulator" "$bin/chassis-sim" >"$work/bin/chassis-sim"
    chmod +x "$work/bin/chassis-sim"
    init_args=(--emulator "$emulator")
    bin=$work/bin
fi
export PATH=$bin:$PATH TZ=UTC LC_ALL=C
unset CHASSIS_SIM_CP
