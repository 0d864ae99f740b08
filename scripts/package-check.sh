#!/bin/bash
# Builds the Debian package of a host build, has lintian find no error and no warning in
# it, checks its Installed-Size, and runs it from its unpacked tree: the unpacked
# chassis-sim makes a fresh chassis, the unpacked hashow reports on it, and one manual
# page is rendered. The package is made a second time from a build tree of its own and
# must have the same bytes, and cmake --install --strip must install the same binaries.
# Given a PowerPC build (--powerpc), checks its package with dpkg-deb
# only: architecture, contents, and the class and byte order of its binaries.
# Usage: scripts/package-check.sh [--powerpc] BUILD_DIR
set -euo pipefail
powerpc=0
if [ "${1:-}" = --powerpc ]; then powerpc=1; shift; fi
build=$(cd "${1:?usage: scripts/package-check.sh BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "package-check: $*" >&2; exit 1; }

cmake --build "$build" >/dev/null
(cd "$build" && cpack -G DEB -B "$work/pkg") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2; fail "cpack failed"; }
debs=("$work"/pkg/haadm_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no haadm package"
deb=${debs[0]}
echo "package: ${deb##*/}"

echo "  $(stat -c %s "$deb") bytes, Installed-Size $(dpkg-deb -f "$deb" Installed-Size) KiB"
info=$(dpkg-deb -f "$deb" Package Maintainer Depends Recommends Built-Using Architecture)
echo "$info" | sed 's/^/  /'
grep -qx 'Package: haadm' <<<"$info" || fail "wrong package name"
grep -qx 'Recommends: bash-completion' <<<"$info" || fail "the completion's loader is not recommended"

root=$work/root
dpkg-deb -x "$deb" "$root"

# Programs linked to the C library depend on its package; static ones depend on nothing
# and name the sources of what is linked into them.
static=0
for prog in usr/sbin/haadm usr/bin/chassis-sim; do
    case $(file -b "$root/$prog") in
    *static-pie\ linked*) static=$((static + 1)) ;;
    esac
done
case $static in
0) grep -q '^Depends:.*libc6' <<<"$info" || fail "no dependency on libc6" ;;
2) ! grep -q '^Depends:' <<<"$info" || fail "static programs, yet a Depends"
   grep -q '^Built-Using: glibc (= [^)]*), gcc-[0-9]* (= [^)]*)$' <<<"$info" ||
       fail "static programs, yet no Built-Using naming glibc and gcc" ;;
*) fail "of haadm and chassis-sim only one is static" ;;
esac

# Installed-Size as dpkg counts it: regular files in KiB rounded up, links and folders 1.
want=$(dpkg-deb -c "$deb" | awk '$6 != "./" { k += ($1 ~ /^-/) ? int(($3 + 1023) / 1024) : 1 } END { print k }')
size=$(dpkg-deb -f "$deb" Installed-Size)
[ "$size" = "$want" ] || fail "Installed-Size $size, the files take $want KiB"
for f in usr/sbin/haadm usr/sbin/hashow usr/sbin/haShow usr/sbin/hainfo usr/bin/chassis-sim \
    usr/share/man/man8/haadm.8.gz usr/share/man/man8/hashow.8.gz usr/share/man/man8/haShow.8.gz \
    usr/share/man/man8/hasmrestart.8.gz usr/share/man/man1/chassis-sim.1.gz \
    usr/share/doc/haadm/copyright usr/share/doc/haadm/changelog.gz \
    usr/share/bash-completion/completions/haadm usr/share/bash-completion/completions/hashow; do
    [ -e "$root/$f" ] || fail "missing from the package: /$f"
done

if [ $powerpc -eq 1 ]; then
    grep -qx 'Architecture: powerpc' <<<"$info" || fail "not a powerpc package"
    for f in usr/sbin/haadm usr/bin/chassis-sim; do
        # ELF class (byte 5: 1 is 32-bit), byte order (byte 6: 2 is big-endian), machine
        # (bytes 19-20, big-endian: 20 is PowerPC).
        header=$(od -An -tx1 -N20 "$root/$f" | tr -d ' \n')
        [ "${header:0:8}" = 7f454c46 ] || fail "/$f is no ELF file"
        [ "${header:8:4}" = 0102 ] || fail "/$f is not 32-bit big-endian"
        [ "${header:36:4}" = 0014 ] || fail "/$f is not PowerPC"
        echo "  /$f: ELF 32-bit big-endian PowerPC, $(stat -c %s "$root/$f") bytes"
    done
    echo "package check: passed"
    exit 0
fi

# The same commit makes the same package: a second build, in a tree of its own.
cache() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
cmake -S "$(cache CMAKE_HOME_DIRECTORY)" -B "$work/build2" -G Ninja \
    -DCMAKE_BUILD_TYPE="$(cache CMAKE_BUILD_TYPE)" -DHAADM_PLATFORM="$(cache HAADM_PLATFORM)" \
    -DCMAKE_CXX_FLAGS="$(cache CMAKE_CXX_FLAGS)" -DHAADM_TESTS=OFF >"$work/build2.log" 2>&1 &&
    cmake --build "$work/build2" >>"$work/build2.log" 2>&1 &&
    (cd "$work/build2" && cpack -G DEB -B "$work/pkg2") >>"$work/build2.log" 2>&1 ||
    { cat "$work/build2.log" >&2; fail "the second build failed"; }
deb2=$(echo "$work"/pkg2/haadm_*.deb)
if ! cmp -s "$deb" "$deb2"; then
    for d in "$deb" "$deb2"; do
        mkdir -p "$d.x" && (cd "$d.x" && ar x "$d" && ar tv "$d" && tar -tvJf control.tar.xz && tar -tvJf data.tar.xz) >"$d.list"
    done
    diff "$deb.list" "$deb2.list" >&2 || true
    for m in control.tar.xz data.tar.xz; do
        cmp "$deb.x/$m" "$deb2.x/$m" >&2 || true
    done
    fail "two builds of one commit made different packages"
fi
echo "  a second build made the same $(stat -c %s "$deb2") bytes"

# cmake --install --strip installs the binaries the package has.
DESTDIR=$work/stage cmake --install "$build" --prefix /usr --strip >/dev/null
for f in usr/sbin/haadm usr/bin/chassis-sim; do
    cmp -s "$work/stage/$f" "$root/$f" || fail "cmake --install --strip installed another /$f"
done
echo "  cmake --install --strip installs the package's binaries"

lint=$(lintian "$deb" 2>&1 | grep -v '^running with root privileges' || true)
[ -z "$lint" ] || fail "lintian:
$lint"
echo "lintian: no error, no warning"

# The unpacked chassis-sim finds the unpacked tool in ../sbin beside itself.
chassis=$work/chassis
env -u CHASSIS_SIM_TOOL -u CHASSIS_SIM_PROGRAM "$root/usr/bin/chassis-sim" init "$chassis"
tool=$(readlink -f "$chassis/sbin/hashow")
[ "$tool" = "$(readlink -f "$root/usr/sbin/haadm")" ] ||
    fail "the chassis runs $tool, not the unpacked tool"

expected='Local CP (Slot 6, CP0): Active, Healthy
Remote CP (Slot 7, CP1): Standby, Healthy
HA enabled, Heartbeat Up, HA State synchronized'
got=$(cd "$chassis" && CHASSIS_SIM_ROOT=$chassis "$root/usr/sbin/hashow")
[ "$got" = "$expected" ] || fail "hashow printed:
$got"
# The check where monitoring engines look for plugins, and the examples beside the docs.
got=$(cd "$chassis" && CHASSIS_SIM_ROOT=$chassis "$root/usr/lib/nagios/plugins/check_haready")
case $got in "HAREADY OK - the chassis can fail over now | "*) ;; *) fail "check_haready printed: $got" ;; esac
for example in prometheus/ha-metrics.sh prometheus/ha-alerts.yml prometheus/ha-alerts.test.yml prometheus/prometheus-example.yml \
               systemd/ha-metrics.service systemd/ha-metrics.timer nagios/haready.cfg \
               ansible/ha-readiness.yml ansible/filter_plugins/ha_verdict.py; do
    [ -f "$root/usr/share/doc/haadm/examples/$example" ] || fail "no example $example"
done
echo "hashow from the package:"
sed 's/^/  /' <<<"$got"
journal=$(CHASSIS_SIM_ROOT=$chassis "$root/usr/bin/chassis-sim" journal)
grep -qx 'get_ha_status(134217927) = 0' <<<"$journal" || fail "hashow made no status call"

# The completion from the package answers for a command.
offers=$(bash -c 'source "$1"; COMP_WORDS=(hashow -); COMP_CWORD=1; _haadm; echo "${COMPREPLY[*]}"' \
    sh "$root/usr/share/bash-completion/completions/hashow")
[ "$offers" = "-o -l -h" ] || fail "completion offered: $offers"

page=$root/usr/share/man/man8/hashow.8.gz
if command -v man >/dev/null; then
    text=$(MANWIDTH=80 man -l "$page" 2>/dev/null | col -b)
else
    text=$(gzip -dc "$page" | mandoc -Tutf8 | col -b)
fi
grep -q 'hashow, haShow' <<<"$text" || fail "the page hashow.8.gz does not render"
grep -q '^EXIT STATUS' <<<"$text" || fail "the page hashow.8 has no EXIT STATUS"
echo "hashow(8) from the package, first lines:"
head -8 <<<"$text" | sed 's/^/  /'
echo "package check: passed"
