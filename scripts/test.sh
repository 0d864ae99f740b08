#!/bin/bash
# Builds and runs every test: on the host with warnings as errors, with AddressSanitizer
# and UndefinedBehaviorSanitizer, and on 32-bit big-endian PowerPC under qemu-user.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test

stage() { printf '\n==== %s\n' "$*"; }

stage "host build, warnings as errors"
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci

stage "AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

stage "32-bit big-endian PowerPC under qemu-user"
cmake --preset ppc >/dev/null
cmake --build --preset ppc
ctest --preset ppc

stage "the tool for the CP's platform on PowerPC, linked against the platform stub"
cmake --preset cp-ppc >/dev/null
cmake --build --preset cp-ppc
scripts/check-no-heap.sh build/cp-ppc powerpc-linux-gnu-nm
scripts/check-cp-link.sh build/cp-ppc powerpc-linux-gnu-
bash tests/check_cp_link_test.sh build/cp-ppc powerpc-linux-gnu-

stage "static checks"
scripts/static-checks.sh build/ci

stage "fuzzing: every target for 30 seconds, regression inputs first"
scripts/fuzz.sh 30

stage "package: build the Debian package, lintian, and run it from its unpacked tree"
scripts/package-check.sh build/ci

stage "package for powerpc from the PowerPC build, checked with dpkg-deb"
scripts/package-check.sh --powerpc build/ppc

stage "the main job in a fresh minimal Debian root, with only what deps.sh build installs"
scripts/fresh-root-check.sh
