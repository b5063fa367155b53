#!/usr/bin/env bash
# Rules of the source layout that the compiler does not check, read from the sources:
# - every folder includes only from below it: platform/ nothing above it, db/ nothing of
#   posting/, app/ or ui/, posting/ nothing of app/ or ui/, app/ nothing of ui/;
# - fixtures/ stays free of the test framework, so that bench/ and demo/ need none;
# - a Firebird interface is let go only by FbHandle's deleter (db/FbClient.*): no other code
#   calls release() or dispose() on one.
set -uo pipefail
cd "${1:?usage: layout.sh SOURCE_ROOT}" || exit 2

status=0
for rule in "platform:db|posting|app|ui" "db:posting|app|ui" "posting:app|ui" "app:ui"; do
    folder=${rule%%:*} above=${rule#*:}
    if grep -rnE "^\s*#\s*include\s*[<\"](${above})/" "$folder"; then
        echo "layout: the lines above include ${above//|/, } from $folder/, below it" >&2
        status=1
    fi
done
if grep -rnE '^\s*#\s*include\s*[<"](gtest|gmock)/' fixtures; then
    echo "layout: the lines above take the test framework into fixtures/" >&2
    status=1
fi
if grep -rnE -e '->\s*(release|dispose)\s*\(' -e '\.\s*dispose\s*\(' \
    --include='*.h' --include='*.cpp' app bench db demo fixtures platform posting tests ui |
    grep -vE '^db/FbClient\.(h|cpp):'; then
    echo "layout: the lines above let a Firebird interface go by hand; use FbHandle" >&2
    status=1
fi
[ "$status" = 0 ] && echo "layout: every include from below, fixtures without the test framework," \
    "no Firebird interface let go by hand"
exit "$status"
