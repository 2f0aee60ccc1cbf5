#!/usr/bin/env bash
# Builds the native program and runs the wizard in this terminal on the sample package, installing it
# into a fresh simulated server machine (build/demo: its C: drive, its registry file and a stand-in
# for the Windows service command), then reports what changed. Needs no display.
# Usage: tools/demo.sh [PACKAGE]   (a folder under examples/, default sample-package)
# TARNWICK_DEMO_PROGRAM names a program to run in the wizard's place (the native one is then not
# built), so that the machine and the report can be tried with a stand-in.
set -euo pipefail

program=${TARNWICK_DEMO_PROGRAM:-}
if [[ $program == */* && $program != /* ]]; then
    program=$PWD/$program # relative to where the script was started
fi
cd "$(dirname "$0")/.."
root=$PWD
package=${1:-sample-package}

# Installs what the demo needs when run as root, or says which apt-get line would.
source tools/packages.sh
need_packages demo || exit 1
if [[ -z $package || ! -f examples/$package/install.conf ]]; then
    packages=(examples/*/)
    packages=("${packages[@]#examples/}")
    echo "No package examples/$package; the packages are: ${packages[*]%/}" >&2
    exit 1
fi

# The preset also builds the tests and benchmarks, which need GoogleTest and Google Benchmark. Without
# them the demo builds in a folder of its own rather than switching them off in build/native, where
# tools/run-tests.sh would keep finding them off.
build=build/native
configure=(--preset native)
if [[ ! -e /usr/include/gtest/gtest.h || ! -e /usr/include/benchmark/benchmark.h ]]; then
    build=build/demo-native
    configure+=(-B "$build" -DTARNWICK_TESTS=OFF -DTARNWICK_BENCH=OFF)
fi
targets=(tarnwick-regdiff)
if [[ -z $program ]]; then
    targets+=(tarnwick)
    program=$root/$build/shell/tarnwick
elif [[ $program == */* && ! -x $program ]]; then
    echo "TARNWICK_DEMO_PROGRAM: $program is not a program that can be run" >&2
    exit 1
fi
cmake "${configure[@]}" >/dev/null
cmake --build "$build" --parallel 2 --target "${targets[@]}"
regdiff=$root/$build/tools/regdiff/tarnwick-regdiff

# A fresh machine with the server installed: the folders the seed registry and the packages name.
demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/c/CFusion/CustomTags" "$demo/c/Inetpub/wwwroot" "$demo/bin"
cp examples/server.reg "$demo/registry.reg"
cp examples/server.reg "$demo/seed.reg"
# The wizard restarts the server with `net stop "..."` and `net start "..."`.
cat >"$demo/bin/net" <<'EOF'
#!/bin/sh
# The simulated machine's service control: logs the command and succeeds.
line=net
for arg; do
    case $arg in
    *' '* | '') line="$line \"$arg\"" ;;
    *) line="$line $arg" ;;
    esac
done
echo "$line" >>"$(dirname "$0")/../service.log"
case $1 in
stop) echo "The $2 service was stopped successfully." ;;
start) echo "The $2 service was started successfully." ;;
esac
EOF
chmod +x "$demo/bin/net"

# path, size and modification time of every file on the C: drive, one a line
list_files() {
    { find "$demo/c" -type f -printf '%P\t%s\t%T@\n' || true; } | LC_ALL=C sort
}
files_before=$(list_files)

tty_settings=
if [[ -t 0 ]]; then
    tty_settings=$(stty -g)
fi
# Ctrl-C ends the wizard, not the report; the wizard itself gets the default action.
trap ':' INT
status=0
env -C "examples/$package" PATH="$demo/bin:$PATH" TARNWICK_REGISTRY="$demo/registry.reg" \
    TARNWICK_DRIVES="C:=$demo/c" "$program" || status=$?
trap - INT
# A program that dies without restoring the terminal leaves it raw, on the alternate screen and with
# the cursor hidden.
if [[ -n $tty_settings ]]; then
    stty "$tty_settings"
    if [[ $status -gt 128 ]]; then
        tput rmcup 2>/dev/null || true
        tput cnorm 2>/dev/null || true
    fi
fi

echo
echo "The wizard ended with exit code $status."
echo
echo "Registry values added or changed:"
compared=0
changes=$("$regdiff" "$demo/seed.reg" "$demo/registry.reg") || compared=$?
if [[ $compared -gt 1 ]]; then
    echo "  (not compared: the message above says why)"
elif [[ -n $changes ]]; then
    sed 's/^/  /' <<<"$changes"
else
    echo "  none"
fi
echo
echo "Files copied:"
copied=$(LC_ALL=C comm -13 <(printf '%s\n' "$files_before") <(list_files))
if [[ -n $copied ]]; then
    while IFS=$'\t' read -r path size _; do
        printf '  C:\\%s (%s bytes)\n' "${path//\//\\}" "$size"
    done <<<"$copied"
else
    echo "  none"
fi
echo
echo "Service commands:"
if [[ -s $demo/service.log ]]; then
    sed 's/^/  /' "$demo/service.log"
else
    echo "  none"
fi
echo
echo "The simulated machine is in build/demo (drive C: is build/demo/c); its registry," \
    "build/demo/registry.reg, can be read as text or imported with regedit."
exit "$status"
