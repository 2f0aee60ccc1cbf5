#!/bin/sh
# Catches rcgen drifting from the real resource compiler: compiles a resource script with windres,
# decodes the dialogs and strings of the .res (decode_res.py) and compares them, field by field,
# with a dump of the same script from our side.
#
#   check_against_windres.sh <file.rc> <dump command...>
#       the dump command prints the rcgen --dump format, e.g. "rcgen file.rc --dump" or a program
#       that prints the compiled tables
#   check_against_windres.sh --constants <rcgen>
#       checks every Win32 name rcgen knows against <windows.h>: each becomes the extended style
#       of one control, which both compilers store unchanged
#
# WINDRES and PYTHON override the programs used. Exit status 0 when the dumps agree, 1 when they
# differ (the difference is printed), 2 on a usage or tool error.
set -eu

windres=${WINDRES:-i686-w64-mingw32-windres}
python=${PYTHON:-python3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ $# -ge 1 ] && [ "$1" = "--constants" ]; then
    [ $# -eq 2 ] || { echo "usage: $0 --constants <rcgen>" >&2; exit 2; }
    rcgen=$2
    "$rcgen" --constants >"$work/names.txt" || exit 2
    [ -s "$work/names.txt" ] || { echo "$rcgen --constants printed no names" >&2; exit 2; }
    {
        echo '#include <windows.h>'
        echo '1 DIALOGEX 0, 0, 10, 10'
        echo 'BEGIN'
        while read -r name; do
            echo "    CONTROL \"$name\", 1, \"STATIC\", 0, 0, 0, 1, 1, $name"
        done <"$work/names.txt"
        echo 'END'
    } >"$work/constants.rc"
    set -- "$work/constants.rc" "$rcgen" "$work/constants.rc" --dump
fi

[ $# -ge 2 ] || { echo "usage: $0 <file.rc> <dump command...>" >&2; exit 2; }
rc=$1
shift

"$windres" -O res -i "$rc" -o "$work/windres.res" || exit 2
"$python" "$here/decode_res.py" "$work/windres.res" >"$work/windres.txt" || exit 2
"$@" >"$work/ours.txt" || exit 2

if ! diff -u "$work/windres.txt" "$work/ours.txt"; then
    echo "$rc: the dump above differs from what windres compiled (- windres, + ours)" >&2
    exit 1
fi
echo "$rc: $(grep -c '^DIALOG' "$work/ours.txt") dialogs, $(grep -c '^  CONTROL' "$work/ours.txt") controls," \
    "$(grep -c '^STRING' "$work/ours.txt") strings agree with windres"
