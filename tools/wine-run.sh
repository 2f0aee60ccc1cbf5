#!/bin/sh
# Runs a cross-built Windows program under Wine for ctest: wine-run.sh PREFIX PROGRAM [ARGS...].
# Every program of a build shares the prefix, made on first use; the test command removes it
# before a run so that each run starts from a fresh machine.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

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
        wineboot -i </dev/null >/dev/null 2>&1 9>&- || true
        wineserver -w 9>&-
    fi
    # Wine's own background processes (services, explorer) start with the first program of a
    # session and keep its output open; ctest would wait for them after every such test. Start
    # the session here, detached from the test's output, and keep it for 30 idle seconds.
    if ! server_running; then
        wineserver -p30 </dev/null >/dev/null 2>&1 9>&- || true
        wine cmd /c exit </dev/null >/dev/null 2>&1 9>&- || true
    fi
) 9>"$prefix.lock"
exec wine "$@"
