#!/usr/bin/env bash
# What the fleet plays cost: examples/fleet/install.yml installs the sample package on simulated
# servers (tests/fleet/fleet.py: a registry store, a drive folder and a `net` of their own each,
# reached as ansible_connection: local), once with 1 fork and once with 10, each on a fresh fleet.
# Prints each play's wall and CPU time, what tarnwick-cli install itself took per host, from its
# log's start and end events, and the wall and CPU time of a second run that has nothing to do
# (each host's status says installed).
# Usage: bench/fleet_bench.sh [TARNWICK_CLI] [HOSTS]   (default: build/native/cli/tarnwick-cli, 20)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/native/cli/tarnwick-cli}
hosts=${2:-20}
if ! command -v ansible-playbook >/dev/null; then
    echo "fleet_bench: ansible-playbook not found (Debian: apt-get install ansible-core)" >&2
    exit 1
fi
if [[ ! -x $cli ]]; then
    echo "fleet_bench: no tarnwick-cli at $cli; build it first (cmake --build --preset native)" >&2
    exit 1
fi
echo "=== fleet: $hosts simulated servers, $(nproc) cores, $(ansible-playbook --version | head -n 1)"
exec python3 -B tests/fleet/fleet.py bench --cli "$cli" --hosts "$hosts" --forks 1 --forks 10
