#!/bin/sh
# Every name that the platform's programs look up in the executable is in its dynamic
# symbol table, as code or as data of the expected kind.
# Usage: check_exports.sh NM EXECUTABLE EXPORT_LIST
set -u
nm=$1 exe=$2 list=$3
symbols=$("$nm" -D --defined-only "$exe") || exit 1
status=0
# Each line of the list: NAME; /* object */ or /* function */.
for entry in $(sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\); *\/\* *\([a-z]*\) .*/\1:\2/p' "$list"); do
    name=${entry%%:*}
    case ${entry#*:} in
        function) kind='T' ;;
        *) kind='[BD]' ;;
    esac
    if ! printf '%s\n' "$symbols" | grep -Eq " $kind $name\$"; then
        echo "not exported as $kind: $name"
        status=1
    fi
done
[ $status -eq 0 ] && echo "all exported"
exit $status
