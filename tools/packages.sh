#!/usr/bin/env bash
# The Debian 12 packages each part of the project needs, in one place. Sourced by tools/demo.sh and
# tools/run-tests.sh, read by .ci/run. As a command: tools/packages.sh [GROUP...]  (default: all)
# installs them; tools/packages.sh --list [GROUP...] prints them, one a line.
#
# need_packages GROUP...: installs what the groups need and is missing. As root on Debian it runs
# apt-get; otherwise it prints the one apt-get line that would and fails, so nothing half-works.

# demo: the terminal wizard. native: its tests and benchmarks (tmux drives the terminal tests).
# fuzz: libFuzzer. win32: the Windows exe, its tests under Wine, the end-to-end pictures. wine32:
# the 32-bit Wine that runs the shipped exe; it comes from the i386 archive, and where that cannot
# be installed the win32 suite runs the win64 build instead and says so. fleet: ansible-playbook for
# the test of the Ansible plays in examples/fleet (skipped without it). reproducible: two builds of
# the shipped programs (tools/reproducible-build.sh); the win32 preset's configuration reads
# GoogleTest's sources even when only the programs are built.
declare -A TARNWICK_PACKAGES=(
    [demo]="cmake make g++ libncurses-dev"
    [native]="cmake make g++ libncurses-dev python3 libgtest-dev googletest libbenchmark-dev tmux"
    [fuzz]="cmake make clang-14 libclang-rt-14-dev"
    [win32]="cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 fonts-wine xvfb imagemagick"
    [wine32]="wine32:i386"
    [fleet]="ansible-core"
    [reproducible]="cmake make git g++-mingw-w64-i686 googletest"
)
TARNWICK_PACKAGE_GROUPS=(demo native fuzz win32 wine32 fleet reproducible)

# The packages of the groups that dpkg does not list as installed.
missing_packages() {
    local group package
    local -A seen=()
    for group in "$@"; do
        for package in ${TARNWICK_PACKAGES[$group]}; do
            [[ -n ${seen[$package]:-} ]] && continue
            seen[$package]=1
            if [[ $(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) != "install ok installed" ]]; then
                echo "$package"
            fi
        done
    done
}

# apt-get update, tried again while a mirror is caught mid-sync ("File has unexpected size"), which
# passes within minutes. The last try's failure is left to apt-get install to report.
apt_update() {
    local attempt
    for attempt in 1 2 3 4 5; do
        apt-get update -q && return 0
        echo "apt-get update failed (try $attempt of 5); trying again in 30 s" >&2
        sleep 30
    done
    return 0
}

need_packages() {
    local group
    for group in "$@"; do
        if [[ -z ${TARNWICK_PACKAGES[$group]:-} ]]; then
            echo "packages: no group '$group' (groups: ${TARNWICK_PACKAGE_GROUPS[*]})" >&2
            return 2
        fi
    done
    if ! command -v dpkg-query >/dev/null || ! command -v apt-get >/dev/null; then
        # Not Debian: say what is needed rather than guess another package manager's names.
        local list=()
        for group in "$@"; do list+=(${TARNWICK_PACKAGES[$group]}); done
        echo "packages: this is not a Debian machine; Tarnwick is built with these Debian 12 packages:" >&2
        echo "  ${list[*]}" >&2
        return 0
    fi
    local missing
    mapfile -t missing < <(missing_packages "$@")
    [[ ${#missing[@]} -eq 0 ]] && return 0

    local i386=
    [[ " ${missing[*]}" == *":i386"* ]] && i386=1
    local line="apt-get update && apt-get install -y ${missing[*]}"
    [[ -n $i386 ]] && line="dpkg --add-architecture i386 && $line"
    if [[ $(id -u) -ne 0 ]]; then
        echo "Missing packages: ${missing[*]}. Install them as root, then run this again:" >&2
        echo "  $line" >&2
        return 1
    fi
    echo "=== installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if [[ -n $i386 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
    fi
    apt_update
    apt-get install -y -q "${missing[@]}"
}

if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    set -euo pipefail
    if [[ ${1:-} == --list ]]; then
        # Every package of the groups once, for an apt-get line of one's own (.ci/run).
        shift
        groups=("$@")
        [[ ${#groups[@]} -eq 0 ]] && groups=("${TARNWICK_PACKAGE_GROUPS[@]}")
        for group in "${groups[@]}"; do echo ${TARNWICK_PACKAGES[$group]}; done | tr ' ' '\n' | awk '!seen[$0]++'
        exit 0
    fi
    groups=("$@")
    [[ ${#groups[@]} -eq 0 ]] && groups=("${TARNWICK_PACKAGE_GROUPS[@]}")
    need_packages "${groups[@]}"
fi
