#!/bin/sh
# Every name that the platform's programs look up in the executable is in its dynamic
# symbol table, as code or as data of the expected kind.
# Usage: check_exports.sh NM EXECUTABLE EXPORT_LIST
set -u
nm=$1 exe=$2 list=$3
symbols=$("$nm" -D --defined-only "$exe") || exit 1
status=0
for name in $(sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\);.*/\1/p' "$list"); do
    case $name in
        esm_trace|hasm_test|reboot_reason_set|report_reboot_reason|ham_set_reboot_reason|sendqtxhalt)
            kind='T' ;;
        *) kind='[BD]' ;;
    esac
    if ! printf '%s\n' "$symbols" | grep -Eq " $kind $name\$"; then
        echo "not exported as $kind: $name"
        status=1
    fi
done
[ $status -eq 0 ] && echo "all exported"
exit $status
