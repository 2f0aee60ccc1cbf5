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
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    # Two test programs may start at once: one of them makes the prefix.
    (
        flock 9
        if [ ! -f "$prefix/system.reg" ]; then
            wineboot -i >/dev/null 2>&1 || true
            wineserver -w
        fi
    ) 9>"$prefix.lock"
fi
# A persistent server saves a start per test; it goes away after 30 idle seconds.
wineserver -p30 >/dev/null 2>&1 || true
exec wine "$@"
