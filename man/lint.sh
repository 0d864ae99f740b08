#!/bin/sh
# Lints manual pages: clean when mandoc has nothing to say at the style level, but for
# cross references, which mandoc looks up among the installed manuals (these pages are
# not installed while they are linted).
# Usage: lint.sh PAGE...
if ! command -v mandoc >/dev/null; then
    echo "mandoc is missing: scripts/deps.sh test installs it"
    exit 1
fi
out=$(mandoc -Tlint -W style "$@" 2>&1 | grep -v ': STYLE: referenced manual not found: ')
[ -z "$out" ] && exit 0
printf '%s\n' "$out"
exit 1
