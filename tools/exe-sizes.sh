#!/usr/bin/env bash
# The sizes of the two shipped Windows programs against their limits: administrators copy them to
# every server. Exits 1 when one is over its limit, 2 when one is missing.
# Usage: tools/exe-sizes.sh [BUILD_DIR]   (default: build/win32, the win32 preset's)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/win32}

# KiB, as Windows shows file sizes.
programs=(shell/tarnwick.exe cli/tarnwick-cli.exe)
limits=($((300 * 1024)) $((400 * 1024)))

status=0
for i in "${!programs[@]}"; do
    exe=$build/${programs[$i]}
    limit=${limits[$i]}
    if [[ ! -f $exe ]]; then
        printf '%-17s missing: %s (cmake --build --preset win32 builds it)\n' "${exe##*/}" "$exe"
        status=2
        continue
    fi
    size=$(stat -c %s "$exe")
    verdict=within
    if ((size > limit)); then
        verdict=OVER
        ((status == 0)) && status=1
    fi
    printf '%-17s %9d bytes (%4d KiB)  limit %4d KiB: %s\n' "${exe##*/}" "$size" $(((size + 1023) / 1024)) \
        $((limit / 1024)) "$verdict"
done
exit $status
