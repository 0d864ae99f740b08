#!/bin/sh
# cmake --install with DESTDIR lays out the tool under every name, with its manual page
# and its bash completion.
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
# Every name has its manual page and finds the bash completion.
for name in haadm "$@"; do
    [ -f "$dest/usr/share/man/man8/$name.8.gz" ] || { echo "missing: man8/$name.8.gz"; status=1; }
done
for name in chassis-sim "$@"; do
    [ -f "$dest/usr/share/bash-completion/completions/$name" ] ||
        { echo "missing: completion for $name"; status=1; }
done
[ -f "$dest/usr/share/man/man1/chassis-sim.1.gz" ] || { echo "missing: man1/chassis-sim.1.gz"; status=1; }
[ $status -eq 0 ] && echo "installed under $# names"
exit $status
