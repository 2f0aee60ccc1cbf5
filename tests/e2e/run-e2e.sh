#!/usr/bin/env bash
# One end-to-end case: a fresh Wine prefix (made by tools/wine-run.sh, with Windows' fonts) with
# the seed registry imported, the package copied onto its drive C:, an X server of its own,
# tarnwick.exe driven by e2e_driver.exe, and the pictures converted to PNG.
# Usage: run-e2e.sh BUILD_DIR SOURCE_DIR CASE PACKAGE ARCH
# (PACKAGE: a folder under examples/, or "none" for a folder without install.conf; ARCH: the build's
# win32 or win64).
set -euo pipefail
build=$1
source=$2
case=$3
package=$4
arch=$5

source "$source/tools/wine-arch.sh"
wine=$(tarnwick_wine_loader "$arch")
# The seed goes into the registry view that tarnwick.exe reads: a 32-bit program in the 64-bit
# prefix reads the 32-bit view, which the 32-bit regedit writes; a 64-bit program reads the native
# view, which the 64-bit regedit in C:\windows writes.
case $arch in
win32) regedit='C:\windows\syswow64\regedit.exe' ;;
win64)
    regedit='C:\windows\regedit.exe'
    export WINEARCH=win64
    ;;
*)
    echo "run-e2e: no architecture '$arch' (win32 or win64)" >&2
    exit 2
    ;;
esac

work="$build/e2e/$case"
rm -rf "$work"
mkdir -p "$work/screens"
export WINEPREFIX="$work/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# An X server of our own on the first free display.
display=90
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display"
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb" >/dev/null 2>&1 || true
    wait "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT

"$source/tools/wine-run.sh" --prepare --arch "$arch" "$WINEPREFIX"
# Without a window manager Wine waits for every hidden window unless it manages them itself.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$wine" "$regedit" /S "$("$wine" winepath -w "$source/examples/server.reg")" >/dev/null 2>&1
wineserver -w

# The folders of the installed server and web server that the seed registry names.
mkdir -p "$WINEPREFIX/drive_c/CFusion/CustomTags" "$WINEPREFIX/drive_c/Inetpub/wwwroot"
mkdir -p "$WINEPREFIX/drive_c/pkg"
if [ "$package" != none ]; then
    cp -r "$source/examples/$package/." "$WINEPREFIX/drive_c/pkg/"
fi

status=0
"$wine" "$build/tests/e2e/e2e_driver.exe" "$case" "$("$wine" winepath -w "$build/shell/tarnwick.exe")" 'C:\pkg' \
    "$("$wine" winepath -w "$work/screens")" || status=$?
wineserver -w || true

for bmp in "$work"/screens/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
exit $status
