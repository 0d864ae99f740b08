#!/bin/bash
# The CP build's haadm, linked against the stub of the platform: what it needs and what
# it exports.
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

declared=$(python3 "$root/scripts/platform-stub.py" --names "$root"/platform/*.h | sort)
defined=$("$nm" -D --defined-only "$stub" | awk '{print $3}' | sort)
[ "$declared" = "$defined" ] ||
    bad "the stub defines other than the declared names:" \
        "$(comm -3 <(echo "$declared") <(echo "$defined") | tr -d '\t' | tr '\n' ' ')"

# Libraries: the C and C++ libraries, the loader and the stub only.
while read -r lib; do
    case $lib in
        libc.so.*|libm.so.*|libstdc++.so.*|libgcc_s.so.*) ;;
        ld.so.*|ld-linux*.so.*|libplatform_stub.so) ;;
        *) bad "needs a library other than the C and C++ libraries and the stub: $lib" ;;
    esac
done < <("$readelf" -d "$exe" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')

# Undefined symbols: versioned ones come from the C and C++ libraries; weak ones may stay
# unresolved; every other one is a platform symbol and must be declared under platform/.
platform=$("$nm" -D --undefined-only "$exe" | awk '$1 == "U" && $2 !~ /@/ {print $2}' | sort)
while read -r sym; do
    case $sym in
        *@GLIBC_*|*@GLIBCXX_*|*@CXXABI_*|*@GCC_*) ;;
        *) bad "undefined symbol from no C or C++ library: $sym" ;;
    esac
done < <("$nm" -D --undefined-only "$exe" | awk '$1 == "U" && $2 ~ /@/ {print $2}')
undeclared=$(comm -23 <(echo "$platform") <(echo "$declared"))
[ -z "$undeclared" ] ||
    bad "undefined platform symbols declared nowhere under platform/:" \
        "$(tr '\n' ' ' <<<"$undeclared")"

# Exports: the functions platform programs call by name, and the global objects, zero at
# start (in a NOBITS section: .bss, or .sbss for PowerPC's small data).
functions="hasm_test reboot_reason_set report_reboot_reason ham_set_reboot_reason sendqtxhalt
           esm_trace"
objects="cfg_time esm_fips_state_t eFICU_IPC_TIME_STATS ep_auth_e eFICU_API_TIME_STATS ep_mgmt_e
         esm_fips_test_t esm_scn_evt_e sa_td"
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
echo "haadm links against the platform stub: $(echo "$platform" | wc -l) platform symbols," \
     "all declared; 6 functions and 9 zeroed objects exported"
echo "size of $exe: $size bytes"
"${prefix}size" "$exe"
