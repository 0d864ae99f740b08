#!/bin/sh
# cmake --install with DESTDIR lays out the tool under every name, and hainfo runs
# from there.
# Usage: check_install.sh BUILD_DIR NAME...
set -eu
build=$1; shift
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
DESTDIR=$dest cmake --install "$build" --prefix /usr >/dev/null
status=0
for name in haadm "$@"; do
    if [ ! -x "$dest/usr/sbin/$name" ]; then
        echo "missing: sbin/$name"
        status=1
    fi
done
[ -x "$dest/usr/bin/chassis-sim" ] || { echo "missing: bin/chassis-sim"; status=1; }
[ $status -eq 0 ] && echo "installed under $# names"
exit $status
