#!/bin/sh
# Lints manual pages: clean when mandoc has nothing to say at the warning level.
# Usage: lint.sh PAGE...
if ! command -v mandoc >/dev/null; then
    echo "mandoc is missing: scripts/deps.sh test installs it"
    exit 1
fi
exec mandoc -Tlint -W warning "$@"
