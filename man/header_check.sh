#!/bin/sh
# The pages as built say whose they are: neither renderer's header or footer says "BSD",
# and the footer names the project and its version.
# Usage: header_check.sh 'PROJECT VERSION' PAGE...
want=$1
shift
status=0
for page in "$@"; do
    for render in "mandoc -Tascii" "groff -mdoc -Tascii -P-c"; do
        out=$($render "$page" 2>&1 | col -bx 2>/dev/null || $render "$page" 2>&1)
        first=$(printf '%s\n' "$out" | sed -n '/./{p;q;}')
        last=$(printf '%s\n' "$out" | sed -n '/./h;${x;p;}')
        case $first$last in
        *BSD*) echo "$page ($render): '$first' / '$last'"; status=1 ;;
        esac
        case $last in
        "$want"*"$want") ;;
        *) echo "$page ($render): footer '$last', not '$want ... $want'"; status=1 ;;
        esac
    done
done
exit $status
