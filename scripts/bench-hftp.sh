#!/usr/bin/env bash
# Download benchmark of the engine: builds bench/hftp (native, optimised), serves a 256 MiB file
# from the loopback test server and compares loner, pooled and 8 parallel pooled downloads with the
# curl command-line tool, then the shared worker's responsiveness, fifty pooled downloads with their
# peak memory and the idle engine's processor time; it ends with rows for the README's table.
#   scripts/bench-hftp.sh            # MSK_BENCH_BUILD_DIR picks the build directory
set -euo pipefail
cd "$(dirname "$0")/.."
size=$((256 * 1024 * 1024))
# shellcheck source=../bench/native-bench-setup.sh
. bench/native-bench-setup.sh hftp_bench
"$bench_dir/hftp/hftp_bench" "http://$address/bytes?size=$size" "$size"
