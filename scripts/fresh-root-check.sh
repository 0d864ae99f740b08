#!/bin/bash
# Runs the main job (scripts/show.sh) as root in a minimal Debian root made with
# debootstrap, so that it proves the build needs nothing beyond what scripts/deps.sh
# build installs. The root is kept as a tarball under /var/cache/haadm and every run
# unpacks a fresh copy of it: what an earlier run installed never hides a missing step.
# Downloaded .deb files are kept between runs (downloads only, nothing stays installed).
# Usage: scripts/fresh-root-check.sh [SUITE]    (default bookworm; needs root)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
suite=${1:-bookworm}
cache=/var/cache/haadm
tarball=$cache/root-$suite-minbase-$(dpkg --print-architecture).tar

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-root-check: needs root (debootstrap, chroot, mount)" >&2
    exit 1
fi
command -v debootstrap >/dev/null || {
    echo "fresh-root-check: installing debootstrap" >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap >/dev/null
}

# The Debian mirror this machine's apt uses (deb822 or one-line sources), else Debian's.
mirror() {
    local f uri
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        uri=$(awk '/^URIs:/ {u=$2} /^Suites:/ && u != "" && $0 ~ /(^|[ \t])'"$suite"'([ \t]|$)/ {print u; exit}' "$f")
        [ -n "$uri" ] && { echo "$uri"; return; }
    done
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
          awk '$1 == "deb" && $0 ~ / '"$suite"' / {for (i = 2; i <= NF; i++) if ($i ~ /^[a-z]+:\/\//) {print $i; exit}}')
    echo "${uri:-http://deb.debian.org/debian}"
}

root=
cleanup() {
    [ -n "$root" ] || return 0
    local m
    for m in var/cache/apt/archives dev/pts dev proc; do
        mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m"
    done
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mkdir -p "$cache/debs-$suite/partial"
start=$(date +%s)
if [ ! -s "$tarball" ]; then
    # Written under a temporary name and renamed: a cut run leaves no half tarball.
    url=$(mirror)
    echo "fresh-root-check: debootstrap --variant=minbase $suite from $url" >&2
    build=$(mktemp -d /var/tmp/haadm-bootstrap.XXXXXX)
    root=$build
    debootstrap --variant=minbase "$suite" "$build" "$url" >"$build.log" 2>&1 || {
        tail -n 20 "$build.log" >&2
        exit 1
    }
    rm -f "$build.log"
    tar -C "$build" --numeric-owner -cf "$tarball.tmp.$$" .
    mv -f "$tarball.tmp.$$" "$tarball"
    cleanup
    echo "fresh-root-check: root cached as $tarball ($(( $(date +%s) - start )) s)" >&2
fi

root=$(mktemp -d /var/tmp/haadm-fresh-root.XXXXXX)
tar -C "$root" --numeric-owner -xf "$tarball"
# The checkout as git has it, with the working tree's edits, without any build tree.
mkdir "$root/src"
git -C "$src" ls-files -z | tar -C "$src" --null -T - -cf - | tar -C "$root/src" -xf -
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind "$cache/debs-$suite" "$root/var/cache/apt/archives"

echo "fresh-root-check: scripts/show.sh in a fresh $suite root" >&2
out=$(chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
          HOME=/root TERM=dumb LANG=C.UTF-8 /bin/bash -c 'cd /src && scripts/show.sh' 2>"$root/show.err") || {
    rc=$?
    tail -n 40 "$root/show.err" >&2
    echo "fresh-root-check: scripts/show.sh failed with status $rc" >&2
    exit 1
}
printf '%s\n' "$out"
# The default chassis's three lines, the summary last, and nothing of the build's log.
[[ $(grep -c '' <<<"$out") == 3 ]] && grep -q '^HA enabled, ' <<<"$out" || {
    echo "fresh-root-check: scripts/show.sh did not print the chassis's HA status alone" >&2
    exit 1
}
# Again, once the default chassis outlived the programs it was made with: the main job
# links it to its own build and shows it all the same.
echo "fresh-root-check: scripts/show.sh on a default chassis whose programs are gone" >&2
out=$(chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
          HOME=/root TERM=dumb LANG=C.UTF-8 /bin/bash -c 'cd /src && bin=build/default/bin && mkdir /tmp/gone &&
          cp "$bin/haadm" "$bin/chassis-sim" /tmp/gone/ &&
          CHASSIS_SIM_TOOL=/tmp/gone/haadm CHASSIS_SIM_PROGRAM=/tmp/gone/chassis-sim "$bin/chassis-sim" relink &&
          rm -r /tmp/gone && scripts/show.sh' 2>"$root/show.err") &&
    grep -q '^HA enabled, ' <<<"$out" &&
    grep -qx 'show.sh: the programs of the chassis in /root/.local/state/chassis-sim/default were gone; linking them to this build' "$root/show.err" || {
    tail -n 20 "$root/show.err" >&2
    echo "fresh-root-check: scripts/show.sh did not mend a stale default chassis" >&2
    exit 1
}
echo "fresh-root-check: passed in $(( $(date +%s) - start )) s" >&2
