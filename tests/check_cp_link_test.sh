#!/bin/bash
# scripts/check-cp-link.sh against the CP build as it is (must pass) and against
# executables linked from the same objects with one thing wrong each (must fail, naming
# what is wrong).
# Usage: tests/check_cp_link_test.sh BUILD_DIR [TOOL_PREFIX]   (e.g. build/cp-ppc powerpc-linux-gnu-)
set -uo pipefail
build=$(cd "$1" && pwd)
prefix=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
check=$root/scripts/check-cp-link.sh
cc=${prefix}gcc
cxx=${prefix}g++
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

objects=$(find "$build/CMakeFiles/haadm_core.dir" "$build/CMakeFiles/platform_cp.dir" \
               "$build/CMakeFiles/haadm.dir" -name '*.o' | sort)
[ -n "$objects" ] || { echo "no objects of the tool in $build" >&2; exit 1; }
[ -f "$build/libplatform_stub.so" ] || { echo "$build/libplatform_stub.so: missing" >&2; exit 1; }

# Extra pieces, each a fault a careless change brings in.
cat >"$tmp/runtime.cpp" <<'EOF'
#include <string_view>
// A range cut with substr, which throws: the C++ runtime comes with it.
extern "C" int cut_range(const char* text) { return std::string_view(text).substr(1).size(); }
EOF
cat >"$tmp/pad.c" <<'EOF'
/* 70,000 bytes of read-only data: past 64 KiB of text with the tool's own. */
const char check_pad[70000] = {1};
EOF
cat >"$tmp/inside.c" <<'EOF'
/* One platform function defined in the tool instead of left to the platform. */
int getThisCPSlot(void) { return 0; }
EOF
if ! { "$cxx" -c -O2 -fPIE "$tmp/runtime.cpp" -o "$tmp/runtime.o" &&
       "$cc" -c -O2 -fPIE "$tmp/pad.c" -o "$tmp/pad.o" &&
       "$cc" -c -O2 -fPIE "$tmp/inside.c" -o "$tmp/inside.o" &&
       "$cxx" -c -O2 -fPIE -Wno-unused-parameter -I"$root" "$build/platform_stub.cpp" \
           -o "$tmp/platform_inside.o"; }; then
    echo "cannot build the pieces" >&2
    exit 1
fi

# link DIR DRIVER EXTRA...: a build directory DIR with bin/haadm linked as the CP build
# links it, plus EXTRA (objects and options), and the stub.
link() {
    local dir=$1 driver=$2
    shift 2
    mkdir -p "$dir/bin"
    cp "$build/libplatform_stub.so" "$dir/"
    # shellcheck disable=SC2086
    "$driver" -Wl,--dynamic-list="$root/haadm/exports.list" $objects "$@" -o "$dir/bin/haadm"
}
stub=(-L"$build" -lplatform_stub)
plain=(-nodefaultlibs -lc "${stub[@]}" -lgcc)

make_variant() {
    local dir=$tmp/$1
    case $1 in
        as-built) mkdir -p "$dir/bin" && cp "$build/bin/haadm" "$build/libplatform_stub.so" "$dir/" &&
                  mv "$dir/haadm" "$dir/bin/" ;;
        relinked) link "$dir" "$cc" "${plain[@]}" ;;
        runtime) link "$dir" "$cxx" "$tmp/runtime.o" "${stub[@]}" -static-libstdc++ -static-libgcc ;;
        big) link "$dir" "$cc" "$tmp/pad.o" "${plain[@]}" ;;
        # As the simulator's builds are: the platform inside.
        platform-inside) link "$dir" "$cxx" "$tmp/platform_inside.o" -nodefaultlibs -lc -lgcc ;;
        seam-exported) link "$dir" "$cc" "${plain[@]}" -Wl,--export-dynamic-symbol=platform_root ;;
        one-inside) link "$dir" "$cc" "$tmp/inside.o" "${plain[@]}" ;;
        extra-library) link "$dir" "$cc" "${plain[@]}" -Wl,--no-as-needed -lm ;;
        libc-last) link "$dir" "$cc" -nodefaultlibs "${stub[@]}" -lc -lgcc ;;
        stripped) link "$dir" "$cc" "${plain[@]}" && "${prefix}strip" "$dir/bin/haadm" ;;
    esac
}

# variant | exit status | lines the check must print on standard error (prefixes, ';'
# between them), or on standard output for a pass
cases='
as-built        | 0 | haadm links against the platform stub:
relinked        | 0 | haadm links against the platform stub:
runtime         | 1 | C++ runtime in the executable (
big             | 1 | text of
platform-inside | 1 | does not need the platform (libplatform_stub.so);leaves no platform symbol undefined;defines platform symbols itself
one-inside      | 1 | defines platform symbols itself (1): getThisCPSlot
seam-exported   | 1 | exports seams of the CP build: platform_root
extra-library   | 1 | needs a library other than the C library, the loader and the platform: libm.so
libc-last       | 1 | names libplatform_stub.so before the C library: the C library must come first
stripped        | 1 | no symbol table: the C++ runtime and the platform cannot be checked
'

failed=0
count=0
while IFS='|' read -r variant want lines; do
    read -r variant <<<"$variant"
    [ -n "$variant" ] || continue
    read -r want <<<"$want"
    count=$((count + 1))
    if ! make_variant "$variant" 2>"$tmp/$variant.link"; then
        echo "FAIL $variant: cannot link it:"; cat "$tmp/$variant.link"
        failed=1
        continue
    fi
    "$check" "$tmp/$variant" "$prefix" >"$tmp/out" 2>"$tmp/err"
    got=$?
    report=$tmp/err
    [ "$want" -ne 0 ] || report=$tmp/out
    ok=1
    [ "$got" -eq "$want" ] || ok=0
    IFS=';' read -ra expected <<<"${lines# }"
    for line in "${expected[@]}"; do
        grep -qF -- "$line" "$report" || { ok=0; echo "  missing: $line"; }
    done
    if [ "$want" -ne 0 ] && [ -s "$tmp/out" ]; then
        ok=0; echo "  printed on a failure:"; cat "$tmp/out"
    fi
    if [ $ok -eq 1 ]; then
        echo "ok   $variant (status $got)"
    else
        echo "FAIL $variant: status $got, wanted $want"; sed 's/^/  | /' "$tmp/err"
        failed=1
    fi
done <<<"$cases"
[ $failed -eq 0 ] || exit 1
echo "check-cp-link.sh: $count cases as expected"
