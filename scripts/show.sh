#!/bin/bash
# The main job: build the tool against the simulated chassis and show the HA status of
# the default chassis.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh build
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/bin/hashow "$@"
