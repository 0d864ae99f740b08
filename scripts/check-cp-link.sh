#!/bin/bash
# The CP build's haadm, linked against the stub of the platform: what it needs, what it
# leaves to the platform, what it exports, and that it carries no C++ runtime and at most
# 64 KiB of text.
# Usage: scripts/check-cp-link.sh BUILD_DIR [TOOL_PREFIX]   (e.g. powerpc-linux-gnu-)
set -euo pipefail
build=$1
prefix=${2:-}
root=$(cd "$(dirname "$0")/.." && pwd)
exe=$build/bin/haadm
stub=$build/libplatform_stub.so
nm=${prefix}nm
readelf=${prefix}readelf
for f in "$exe" "$stub"; do
    [ -f "$f" ] || { echo "$f: missing" >&2; exit 1; }
done
fail=0
bad() { echo "$*" >&2; fail=1; }

# The platform's names: every header under platform/ but the seams, which are the CP
# build's own (platform/cp/) and which the platform does not define.
headers=()
for h in "$root"/platform/*.h; do
    [ "$h" = "$root/platform/seams.h" ] || headers+=("$h")
done
declared=$(python3 "$root/scripts/platform-stub.py" --names "${headers[@]}" | sort)
seams=$(python3 "$root/scripts/platform-stub.py" --names "$root/platform/seams.h" | sort)
defined=$("$nm" -D --defined-only "$stub" | awk '{print $3}' | sort)
[ "$declared" = "$defined" ] ||
    bad "the stub defines other than the declared names:" \
        "$(comm -3 <(echo "$declared") <(echo "$defined") | tr -d '\t' | tr '\n' ' ')"

# Libraries: the C library, the loader and the platform (the stub) only, and the platform
# always: a build with the platform inside (the simulator's) needs none.
needed=$("$readelf" -d "$exe" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
while read -r lib; do
    case $lib in
        libc.so.*|ld.so.*|ld-linux*.so.*|ld64.so.*|libplatform_stub.so) ;;
        *) bad "needs a library other than the C library, the loader and the platform: $lib" ;;
    esac
done <<<"$needed"
grep -qx 'libplatform_stub.so' <<<"$needed" || bad "does not need the platform (libplatform_stub.so)"
# The C library first: the loader then finds the C library's own symbols without a look
# into the platform's libraries first (a cheaper start).
first=$(head -n1 <<<"$needed")
case $first in
    libc.so.*|'') ;;
    *) bad "names $first before the C library: the C library must come first" ;;
esac

# Undefined symbols: versioned ones come from the C library; weak ones may stay unresolved;
# every other one is a platform symbol and must be declared under platform/.
platform=$("$nm" -D --undefined-only "$exe" | awk '$1 == "U" && $2 !~ /@/ {print $2}' | sort)
while read -r sym; do
    case $sym in
        *@GLIBC_*) ;;
        *) bad "undefined symbol from no C library: $sym" ;;
    esac
done < <("$nm" -D --undefined-only "$exe" | awk '$1 == "U" && $2 ~ /@/ {print $2}')
undeclared=$(comm -23 <(echo "$platform") <(echo "$declared"))
[ -z "$undeclared" ] ||
    bad "undefined platform symbols declared nowhere under platform/:" \
        "$(tr '\n' ' ' <<<"$undeclared")"
platform_count=$(grep -c . <<<"$platform" || true)
[ "$platform_count" -gt 0 ] || bad "leaves no platform symbol undefined"

# The platform's functions and objects stay the platform's: none defined in the executable.
symbols=$("$nm" "$exe" 2>/dev/null) || true
[ -n "$symbols" ] || bad "no symbol table: the C++ runtime and the platform cannot be checked"
inside=$(comm -12 <(echo "$declared") \
    <(awk 'NF == 3 && $2 !~ /^[Uuvw]$/ {sub(/@.*/, "", $3); print $3}' <<<"$symbols" | sort -u))
[ -z "$inside" ] ||
    bad "defines platform symbols itself ($(grep -c . <<<"$inside")):" \
        "$(head -5 <<<"$inside" | tr '\n' ' ')"

# The seams are the executable's own and stay inside it: an exported name is one more for
# every symbol lookup at start-up to pass over.
exported=$("$nm" -D --defined-only "$exe" | awk '{sub(/@.*/, "", $3); print $3}' | sort -u)
seams_out=$(comm -12 <(echo "$seams") <(echo "$exported"))
[ -z "$seams_out" ] ||
    bad "exports seams of the CP build: $(tr '\n' ' ' <<<"$seams_out")"

# No C++ runtime, defined or referenced: std:: and __gnu_cxx:: functions, the ABI support
# (__cxxabiv1::, __cxa_*, typeinfo), operator new and delete, the personality routine, the
# unwinder and the demangler. __cxa_finalize is the C library's, called by the C start
# files of every program.
runtime=$(awk '{print $NF}' <<<"$symbols" | sed 's/@.*//' | sort -u | grep -E \
    '^(_ZN?K?St|_ZN?K?9__gnu_cxx|_ZN?K?10__cxxabiv1|_ZT[ISV]N?(St|9__gnu_cxx|10__cxxabiv1)|_Z(nw|na|dl|da)|__cxa_|__gxx_personality|_Unwind_|__gcc_personality|__gcclibcxx_demangle|cplus_demangle|d_demangle)' |
    grep -vx '__cxa_finalize' || true)
[ -z "$runtime" ] ||
    bad "C++ runtime in the executable ($(grep -c . <<<"$runtime") symbols):" \
        "$(head -8 <<<"$runtime" | tr '\n' ' ')"

# A CP has little flash: at most 64 KiB of text (code, read-only data, symbol tables).
text=$("${prefix}size" "$exe" | awk 'NR == 2 {print $1}')
[ "${text:-0}" -le 65536 ] || bad "text of $text bytes passes 64 KiB (65536 bytes)"

# Exports: the functions platform programs call by name, and the global objects, zero at
# start (in a NOBITS section: .bss, or .sbss for PowerPC's small data).
# Both lists come from haadm/exports.list, where each name says its kind.
exports_of() {
    sed -n "s/^ *\([A-Za-z_][A-Za-z0-9_]*\); *\/\* *$1 .*/\1/p" "$(dirname "$0")/../haadm/exports.list"
}
functions=$(exports_of function)
objects=$(exports_of object)
[ -n "$functions" ] && [ -n "$objects" ] || bad "no exports read from haadm/exports.list"
dynsyms=$("$readelf" --dyn-syms -W "$exe")
sections=$("$readelf" -S -W "$exe" |
           sed -n 's/^ *\[ *\([0-9]*\)\] \([^ ]*\) *\([A-Z_]*\) .*/\1 \2 \3/p')
for f in $functions; do
    echo "$dynsyms" |
        awk -v s="$f" '$8 == s && $4 == "FUNC" && $7 != "UND" {ok=1} END {exit !ok}' ||
        bad "function not exported: $f"
done
for o in $objects; do
    ndx=$(echo "$dynsyms" | awk -v s="$o" '$8 == s && $4 == "OBJECT" && $7 != "UND" {print $7}')
    if [ -z "$ndx" ]; then bad "object not exported: $o"; continue; fi
    sec=$(echo "$sections" | awk -v n="$ndx" '$1 == n {print $2, $3}')
    case $sec in
        ".bss NOBITS"|".sbss NOBITS") ;;
        *) bad "object not zero at start: $o in ${sec:-section $ndx}" ;;
    esac
done

if [[ $prefix == powerpc* ]]; then
    header=$("$readelf" -h "$exe")
    grep -Eq 'Class: +ELF32$' <<<"$header" || bad "not ELF32"
    grep -Eq 'Data: +.*big endian$' <<<"$header" || bad "not big-endian"
    grep -Eq 'Machine: +PowerPC$' <<<"$header" || bad "not PowerPC"
fi

[ $fail -eq 0 ] || exit 1
size=$(stat -c %s "$exe")
echo "haadm links against the platform stub: $platform_count platform symbols, all declared" \
     "and left to the platform; no C++ runtime; 6 functions and 9 zeroed objects exported"
echo "size of $exe: $size bytes; text $text bytes of at most 65536"
"${prefix}size" "$exe"
