#!/usr/bin/env bash
# Builds the shipped Windows programs, tarnwick.exe and tarnwick-cli.exe, twice from one commit,
# each time in a fresh copy of the tree at a path of its own with its own build folder, and checks
# that both builds are the same bytes: what lets anyone check a download by building the release's
# commit (README.md, Building). Prints the SHA-256 of both programs; fails when the builds differ.
# Only the two programs are built (with the win32 preset, as releases are), not the tests.
# Usage: tools/reproducible-build.sh [COMMIT]   (default: HEAD; the commit, not the work tree)
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=packages.sh
source tools/packages.sh
need_packages reproducible || exit 1

commit=$(git rev-parse --verify "${1:-HEAD}^{commit}")
work=$(mktemp -d /tmp/tarnwick-reproducible.XXXXXX)
keep=
trap '[[ -n $keep ]] || rm -rf "$work"' EXIT

programs=(shell/tarnwick.exe cli/tarnwick-cli.exe)
# Two folders whose paths differ in length too, so that no path can hide in a padding.
trees=("$work/one/tarnwick" "$work/second-build/of/tarnwick-${commit:0:12}")
for tree in "${trees[@]}"; do
    echo "=== reproducible: building ${commit:0:12} in $tree"
    mkdir -p "$tree"
    git archive "$commit" | tar -x -C "$tree"
    (cd "$tree" && cmake --preset win32 >/dev/null && cmake --build --preset win32 --target tarnwick tarnwick-cli)
done

status=0
for program in "${programs[@]}"; do
    first=${trees[0]}/build/win32/$program
    second=${trees[1]}/build/win32/$program
    sum=$(sha256sum <"$first" | cut -d' ' -f1)
    other=$(sha256sum <"$second" | cut -d' ' -f1)
    if [[ $sum == "$other" ]]; then
        echo "$sum  ${program##*/} (both builds)"
    else
        echo "${program##*/} DIFFERS between the builds:" >&2
        echo "  $sum  $first" >&2
        echo "  $other  $second" >&2
        # The headers and sections that differ (the file names on its first lines aside).
        diff <(i686-w64-mingw32-objdump -x "$first" | tail -n +3) \
            <(i686-w64-mingw32-objdump -x "$second" | tail -n +3) | head -n 20 >&2 || true
        status=1
    fi
done
tools/exe-sizes.sh "${trees[0]}/build/win32" || true
if ((status != 0)); then
    keep=1
    echo "=== reproducible: FAILED; both builds are kept in $work" >&2
    exit 1
fi
echo "=== reproducible: both builds of ${commit:0:12} are the same bytes"
