#!/usr/bin/env bash
# layout.sh finds an include planted across each of its arrows in a copy of the sources, one at
# a time, and passes the copy as it is.
set -uo pipefail
root=${1:?usage: layout_planted.sh SOURCE_ROOT}
layout="$(dirname "$0")/layout.sh"
copy=$(mktemp -d) && trap 'rm -rf "$copy"' EXIT
for folder in app bench db demo fixtures platform posting tests ui; do
    if [ -d "$root/$folder" ]; then cp -r "$root/$folder" "$copy/"; else mkdir "$copy/$folder"; fi
done

bash "$layout" "$copy" >/dev/null || { echo "layout.sh fails the sources as they are"; exit 1; }
status=0
for plant in platform:db platform:posting platform:app platform:ui db:posting db:app db:ui \
    posting:app posting:ui app:ui fixtures:gtest; do
    folder=${plant%%:*} target=${plant#*:}
    echo "#include \"$target/Planted.h\"" >"$copy/$folder/Planted.cpp"
    if bash "$layout" "$copy" >/dev/null 2>&1; then
        echo "layout.sh missed $folder/ including $target/"
        status=1
    fi
    rm "$copy/$folder/Planted.cpp"
done
[ "$status" = 0 ] && echo "layout.sh finds an include across each arrow"
exit "$status"
