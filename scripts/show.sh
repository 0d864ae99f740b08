#!/bin/bash
# The main job: build the tool against the simulated chassis and show the HA status of
# the chassis in CHASSIS_SIM_ROOT, else of the default chassis (made on first use). It
# says which chassis it shows; one whose programs are gone (the build that made it was
# removed) is linked again to this build's programs first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build >&2
cmake --preset default >/dev/null
cmake --build --preset default >&2
bin=$PWD/build/default/bin
if [[ -n ${CHASSIS_SIM_ROOT:-} ]]; then
    chassis=$CHASSIS_SIM_ROOT
else
    chassis=$("$bin/chassis-sim" help | sed -n 's/^The default chassis: //p')
fi
if ! why=$("$bin/chassis-sim" show 2>&1 >/dev/null) && [[ $why == *"; relink them with: "* ]]; then
    echo "show.sh: the programs of the chassis in $chassis were gone; linking them to this build" >&2
    "$bin/chassis-sim" relink
fi
echo "show.sh: the chassis in $chassis (chassis-sim is $bin/chassis-sim)" >&2
exec "$bin/hashow" "$@"
