#!/bin/bash
# Builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
