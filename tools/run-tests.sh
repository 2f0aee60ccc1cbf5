#!/usr/bin/env bash
# Builds and runs every test suite: natively, under AddressSanitizer and UndefinedBehaviorSanitizer,
# and cross-built for 32-bit Windows under Wine in a fresh prefix. Also builds the benchmarks and,
# gives each fuzz target a short smoke run. Run as root on Debian it first installs the packages the
# suites need; otherwise it names the apt-get line that would.
# Usage: tools/run-tests.sh [native] [asan] [win32] [fuzz]   (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."

suites=("$@")
[ ${#suites[@]} -eq 0 ] && suites=(native asan win32 fuzz)
groups=()
for suite in "${suites[@]}"; do
    case $suite in
    native | asan) groups+=(native) ;;
    win32 | fuzz) groups+=("$suite") ;;
    *)
        echo "run-tests: no suite '$suite' (suites: native asan win32 fuzz)" >&2
        exit 2
        ;;
    esac
done
source tools/packages.sh
need_packages "${groups[@]}" || exit 1

summary=()
run_suite() {
    local preset=$1
    echo "=== $preset: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    case $preset in
    win32)
        # Every run starts from a fresh Windows machine.
        local prefix=build/win32/wineprefix
        WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
        rm -rf "$prefix" "$prefix.lock"
        echo "=== $preset: tests under $(wine --version)"
        local status=0
        ctest --preset win32 || status=$?
        WINEPREFIX="$PWD/$prefix" wineserver -k 2>/dev/null || true
        return $status
        ;;
    fuzz)
        echo "=== fuzz: smoke runs (a long run is: build/fuzz/fuzz/fuzz_config -max_total_time=300)"
        for target in fuzz_config fuzz_readpath fuzz_regfile fuzz_json; do
            "build/fuzz/fuzz/$target" -runs=20000 -seed=1 2>&1 | tail -n 2
        done
        ;;
    *)
        echo "=== $preset: tests"
        ctest --preset "$preset"
        ;;
    esac
}

failed=0
for suite in "${suites[@]}"; do
    if run_suite "$suite"; then
        summary+=("$suite: passed")
    else
        summary+=("$suite: FAILED")
        failed=1
    fi
done

echo "=== summary"
printf '%s\n' "${summary[@]}"
exit $failed
