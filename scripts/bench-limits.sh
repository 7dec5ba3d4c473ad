#!/usr/bin/env bash
# How soon a cancel, /TIMEOUT and /CONNECTTIMEOUT answer while libcurl holds the engine's shared
# worker: builds bench/limits (native), starts the loopback test server and prints the latencies
# of each round, their median and worst, then rows for the README's table.
#   scripts/bench-limits.sh [rounds]       # MSK_BENCH_BUILD_DIR picks the build directory
set -euo pipefail
cd "$(dirname "$0")/.."
build=${MSK_BENCH_BUILD_DIR:-build/native-bench}

cmake --preset native -B "$build" -DMSK_BUILD_BENCH=ON -DMSK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target limits_bench >/dev/null

state=$(mktemp -d /tmp/msk-bench-server.XXXXXX)
trap 'python3 tests/server/msk_test_server.py stop --state-dir "$state" >/dev/null; rm -rf "$state"' EXIT
python3 tests/server/msk_test_server.py start --state-dir "$state" >/dev/null
address=$(sed -n 's/^address=//p' "$state/server.info")
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
export MSK_BENCH_MACHINE="${MSK_BENCH_MACHINE:-${cpu:-unknown CPU}, $(nproc) cores, native}"
"$build/bench/limits/limits_bench" "http://$address" "${1:-5}"
