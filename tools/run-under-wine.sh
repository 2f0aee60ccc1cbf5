#!/usr/bin/env bash
# Builds tarnwick.exe and runs it under Wine on the sample package, on a fresh simulated machine
# (build/wine-demo) with the server's registry from examples/server.reg. Needs an X display.
# Usage: tools/run-under-wine.sh [PACKAGE]   (a folder under examples/, default sample-package)
set -euo pipefail
cd "$(dirname "$0")/.."
package=${1:-sample-package}

for tool in wine i686-w64-mingw32-g++-posix cmake; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool is missing; on Debian 12: dpkg --add-architecture i386 && apt-get update &&" \
            "apt-get install -y cmake g++ g++-mingw-w64-i686 wine wine32:i386 wine64 fonts-wine" >&2
        exit 1
    fi
done
if [ -z "${DISPLAY:-}" ]; then
    echo "No X display: run it in a desktop session, or under xvfb-run to try it blind." >&2
    exit 1
fi

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target tarnwick

export WINEPREFIX="$PWD/build/wine-demo"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
tools/wine-run.sh --prepare "$WINEPREFIX"
wine 'C:\windows\syswow64\regedit.exe' /S "$(winepath -w examples/server.reg)"
wineserver -w
# The folders of the installed server and web server that the seed registry names.
mkdir -p "$WINEPREFIX/drive_c/CFusion/CustomTags" "$WINEPREFIX/drive_c/Inetpub/wwwroot"
mkdir -p "$WINEPREFIX/drive_c/$package"
cp -r "examples/$package/." "$WINEPREFIX/drive_c/$package/"
cp build/win32/shell/tarnwick.exe "$WINEPREFIX/drive_c/$package/"

cd "$WINEPREFIX/drive_c/$package"
wine tarnwick.exe
echo "The simulated machine is in $WINEPREFIX; its registry: wine regedit, or $WINEPREFIX/system.reg"
