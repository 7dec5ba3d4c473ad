# Shared by the native benchmark scripts: builds one benchmark target (the native preset, with the
# benchmarks) and starts the loopback test server for it, stopped when the script exits.
#   . bench/native-bench-setup.sh hftp_bench   # sets bench_dir (the build's bench/), address
# MSK_BENCH_BUILD_DIR picks the build directory; MSK_BENCH_MACHINE names the machine in the rows.
build=${MSK_BENCH_BUILD_DIR:-build/native-bench}
cmake --preset native -B "$build" -DMSK_BUILD_BENCH=ON -DMSK_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${1:?the benchmark target}" >/dev/null
bench_dir=$build/bench

state=$(mktemp -d /tmp/msk-bench-server.XXXXXX)
trap 'python3 tests/server/msk_test_server.py stop --state-dir "$state" >/dev/null; rm -rf "$state"' EXIT
python3 tests/server/msk_test_server.py start --state-dir "$state" >/dev/null
address=$(sed -n 's/^address=//p' "$state/server.info")
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
export MSK_BENCH_MACHINE="${MSK_BENCH_MACHINE:-${cpu:-unknown CPU}, $(nproc) cores, native}"
