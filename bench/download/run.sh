#!/usr/bin/env bash
# Download benchmark under wine64: one amd64 installer fetches a 256 MiB payload from a loopback
# server with HTTPDownload, with URLDownloadToFileW and with curl.exe built from the same libcurl,
# then with HTTPDownload and curl.exe over HTTPS, in five rounds, and the figures are printed
# (median MB/s, ratios to HTTPDownload, HTTPDownload's last-byte-to-return), then as rows for the
# README's benchmark table.
#   bench/download/run.sh [win64-build-dir]      # default build/win64; configured if needed
#   MSK_BENCH_ROUNDS=N, MSK_BENCH_MACHINE=TEXT   # other round count; the machine named in the rows
#   MSK_BENCH_FIRST_ONLY=1   # only a process's first small download against its later ones
#   MSK_BENCH_TRACE=FILE MSK_BENCH_WINEDEBUG=+timestamp,+loaddll   # wine's trace of those runs
# Each round also times four small downloads in one installer process, over HTTP and HTTPS: what
# the first download of a process costs more than the later ones.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build/win64}")  # makensis resolves paths from elsewhere
[ -f "$build/CMakeCache.txt" ] || cmake --preset win64 -S "$root" -B "$build" >/dev/null
# The DLL, and the tool that puts the benchmark's test CA into the prefix's machine ROOT store.
cmake --build "$build" -j"${MSK_BUILD_JOBS:-2}" --target MarlowSetupKit msk_trust_test_ca >/dev/null
# The first-download figures compare the library with itself: no curl tool to build for them.
curl_exe=none.exe
[ -n "${MSK_BENCH_FIRST_ONLY:-}" ] || curl_exe=$("$root/bench/download/build-curl-tool.sh" x86_64-w64-mingw32)

work=$(mktemp -d /tmp/msk-download-bench.XXXXXX)
xvfb_pid=
cleanup() {
  WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

makensis -V2 -INPUTCHARSET UTF8 "-DMSK_DLL_SOURCE=$build/bin/MarlowSetupKit.dll" \
  "-DMSK_OUT=$work/DownloadBench.exe" "-DMSK_NSIS_DIR=$root/nsis" "$root/bench/download/DownloadBench.nsi"

# A private prefix and display, as tests/harness/run-tests.sh makes them.
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
wineboot -i >/dev/null 2>&1
# Without a window manager, wine waits two seconds for one each time a managed window is hidden;
# unmanaged windows close at once, so the latency below is the library's, not that wait.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wineserver -w

mkdir -p "$work/out"
# MSK_BENCH_WINEDEBUG (with MSK_BENCH_TRACE): wine's channels for the first-download runs.
export WINEDEBUG=${MSK_BENCH_WINEDEBUG:--all}
cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)
python3 "$root/bench/download/download_bench.py" --installer "$work/DownloadBench.exe" \
  --curl "$curl_exe" --trust-tool "$build/tests/installer/msk_trust_test_ca.exe" --work "$work/out" --rounds "${MSK_BENCH_ROUNDS:-5}" ${MSK_BENCH_FIRST_ONLY:+--first-only} \
  --machine "${MSK_BENCH_MACHINE:-${cpu:-unknown CPU}, $(nproc) cores, wine64 $(wine --version 2>/dev/null | sed 's/^wine-//')}"
