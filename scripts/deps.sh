#!/bin/bash
# Makes sure the Debian packages that the build and the tests need are installed:
# installs the missing ones when run as root, else prints the apt-get line and fails.
# build: what the main job (scripts/show.sh, the default preset) needs, nothing more;
# package: and what cpack -G DEB runs (file, dpkg-shlibdeps); test: every test's too.
# Usage: scripts/deps.sh [build|package|test]
set -euo pipefail

mode=${1:-build}
case $mode in
build | package | test) ;;
*) echo "usage: scripts/deps.sh [build|package|test]" >&2; exit 2 ;;
esac
packages=(cmake ninja-build g++ make nlohmann-json3-dev python3)
if [ "$mode" != build ]; then
    packages+=(file dpkg-dev)
fi
if [ "$mode" = test ]; then
    # Tests on the host, with sanitizers, and on 32-bit PowerPC under qemu-user.
    packages+=(libgtest-dev googletest g++-powerpc-linux-gnu qemu-user)
    # Static checks and fuzzing.
    packages+=(clang clang-tidy cppcheck libclang-rt-14-dev valgrind)
    # The benchmark's peak memory of a run.
    packages+=(time)
    # Manual page lint and rendering, the Debian package and its dependencies.
    packages+=(mandoc man-db bsdextrautils lintian git xz-utils)
    # The main job in a fresh minimal root (scripts/fresh-root-check.sh).
    packages+=(debootstrap)
    # The fleet check of contrib/ansible against simulated chassis; systemd-analyze for
    # the metrics writer's units.
    packages+=(ansible-core systemd)
    # The monitoring engine that runs check_haready in its test.
    packages+=(nagios4-core)
fi

# promtool and node_exporter for the metrics test, unpacked from Debian's packages into
# a folder of their own: installing the packages would start their services.
tools=/var/cache/haadm/tools
unpack_tools() {
    [ "$mode" = test ] || return 0
    [ -x "$tools/usr/bin/promtool" ] && [ -x "$tools/usr/bin/prometheus-node-exporter" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "The metrics test needs promtool and node_exporter in $tools; as root, scripts/deps.sh test puts them there" >&2
        return 0
    fi
    local get
    get=$(mktemp -d)
    (cd "$get" && apt-get download -qq prometheus prometheus-node-exporter 2>/dev/null) ||
        { apt-get update -qq && (cd "$get" && apt-get download -qq prometheus prometheus-node-exporter); }
    rm -rf "$tools.new" && mkdir -p "$tools.new"
    for deb in "$get"/*.deb; do
        dpkg-deb -x "$deb" "$tools.new"
    done
    rm -rf "$tools" "$get" && mv "$tools.new" "$tools"
}

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    unpack_tools
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages; install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
fi
echo "Installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
unpack_tools
