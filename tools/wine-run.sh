#!/bin/sh
# Runs a cross-built Windows program under Wine for ctest: wine-run.sh PREFIX PROGRAM [ARGS...].
# Every program of a build shares the prefix, made on first use; the test command removes it
# before a run so that each run starts from a fresh machine.
# wine-run.sh --prepare [--arch win32|win64] PREFIX makes the prefix the same way and stops there:
# the end-to-end tests and tools/run-under-wine.sh start their machines from it.
# The programs' architecture (the PE header's, or --arch, default win32) picks the Wine loader: a
# 64-bit build gets a 64-bit prefix made and run by the 64-bit loader, for machines whose kernel runs
# no 32-bit code, where the 32-bit loader that Debian's "wine" and "wineboot" start cannot run.
set -eu
. "$(dirname "$0")/wine-arch.sh"
prepare_only=
arch=win32
if [ "${1:-}" = --prepare ]; then
    prepare_only=1
    shift
    if [ "${1:-}" = --arch ]; then
        arch=$2
        shift 2
    fi
fi
prefix=$1
shift
if [ -z "$prepare_only" ]; then
    arch=$(tarnwick_pe_arch "${1:-}") || arch=win32
fi
case $arch in
win32)
    if ! tarnwick_runs_wine32; then
        echo "wine-run: $TARNWICK_I386_REASON, so 32-bit Wine cannot start here;" \
            "the win64 preset builds the same programs for 64-bit Wine" >&2
        exit 1
    fi
    ;;
win64) export WINEARCH=win64 ;;
*)
    echo "wine-run: no architecture '$arch' (win32 or win64)" >&2
    exit 2
    ;;
esac
wine=$(tarnwick_wine_loader "$arch")
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

# Debian's Wine 8 looks for its own fonts (package fonts-wine) in a folder that does not exist, so a
# new prefix has no MS Sans Serif, Tahoma or Marlett: dialogs fall back to Liberation Sans and the
# close box shows Marlett's cross as the letter "r". Windows keeps these fonts in its Fonts folder,
# and Wine reads that folder, so they go there.
wine_fonts=/usr/share/wine/fonts
install_fonts() {
    for font in sserife.fon tahoma.ttf marlett.ttf; do
        if [ ! -f "$wine_fonts/$font" ]; then
            echo "wine-run: $wine_fonts/$font is missing; without Debian's fonts-wine the dialogs" \
                "are not drawn in Windows' fonts" >&2
            return 1
        fi
    done
    cp "$wine_fonts"/*.fon "$wine_fonts"/*.ttf "$prefix/drive_c/windows/Fonts/"
}

server_running() {
    for pid in $(pgrep -x 'wineserver(64)?' 2>/dev/null || true); do
        if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then
            return 0
        fi
    done
    return 1
}

mkdir -p "$prefix"
(
    # Two test programs may start at once: one of them prepares the prefix.
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        "$wine" wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
        wineserver -w 9>&-
    fi
    [ -f "$prefix/drive_c/windows/Fonts/marlett.ttf" ] || install_fonts
    [ -z "$prepare_only" ] || exit 0
    # Wine's own background processes (services, explorer) start with the first program of a
    # session and keep its output open; ctest would wait for them after every such test. Start
    # the session here, detached from the test's output, and keep it for 30 idle seconds.
    if ! server_running; then
        wineserver -p30 </dev/null >/dev/null 2>&1 9>&- || true
        "$wine" cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$prefix.lock"
[ -z "$prepare_only" ] || exit 0
exec "$wine" "$@"
