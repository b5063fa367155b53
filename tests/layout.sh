#!/usr/bin/env bash
# Rules of the source layout that the compiler does not check, read from the sources:
# - the core under the program entries (platform/, db/, posting/) never includes app/;
# - a Firebird interface is let go only by FbHandle's deleter (db/FbClient.*): no other code
#   calls release() or dispose() on one.
set -uo pipefail
cd "${1:?usage: layout.sh SOURCE_ROOT}" || exit 2

status=0
if grep -rnE '^\s*#\s*include\s*[<"]app/' platform db posting; then
    echo "layout: the lines above include app/ from below it" >&2
    status=1
fi
if grep -rnE -e '->\s*(release|dispose)\s*\(' -e '\.\s*dispose\s*\(' \
    --include='*.h' --include='*.cpp' app bench db demo platform posting tests ui |
    grep -vE '^db/FbClient\.(h|cpp):'; then
    echo "layout: the lines above let a Firebird interface go by hand; use FbHandle" >&2
    status=1
fi
[ "$status" = 0 ] && echo "layout: no include of app/ below it, no Firebird interface let go by hand"
exit "$status"
