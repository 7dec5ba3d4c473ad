#!/usr/bin/env bash
# How soon a cancel, /TIMEOUT and /CONNECTTIMEOUT answer while libcurl holds the engine's shared
# worker: builds bench/limits (native), starts the loopback test server and prints the latencies
# of each round, their median and worst, then rows for the README's table.
#   scripts/bench-limits.sh [rounds]       # MSK_BENCH_BUILD_DIR picks the build directory
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=../bench/native-bench-setup.sh
. bench/native-bench-setup.sh limits_bench
"$bench_dir/limits/limits_bench" "http://$address" "${1:-5}"
