#!/usr/bin/env bash
# Download benchmark of the engine: builds bench/hftp (native, optimised), serves a 256 MiB file
# from the loopback test server and compares loner, pooled and 8 parallel pooled downloads with the
# curl command-line tool, then the shared worker's responsiveness, fifty pooled downloads with their
# peak memory and the idle engine's processor time; it ends with rows for the README's table.
#   scripts/bench-hftp.sh            # MSK_BENCH_BUILD_DIR picks the build directory
set -euo pipefail
cd "$(dirname "$0")/.."
build=${MSK_BENCH_BUILD_DIR:-build/native-bench}
size=$((256 * 1024 * 1024))

cmake --preset native -B "$build" -DMSK_BUILD_BENCH=ON -DMSK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target hftp_bench >/dev/null

state=$(mktemp -d /tmp/msk-bench-server.XXXXXX)
trap 'python3 tests/server/msk_test_server.py stop --state-dir "$state" >/dev/null; rm -rf "$state"' EXIT
python3 tests/server/msk_test_server.py start --state-dir "$state" >/dev/null
address=$(sed -n 's/^address=//p' "$state/server.info")
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
export MSK_BENCH_MACHINE="${MSK_BENCH_MACHINE:-${cpu:-unknown CPU}, $(nproc) cores, native}"
"$build/bench/hftp/hftp_bench" "http://$address/bytes?size=$size" "$size"
