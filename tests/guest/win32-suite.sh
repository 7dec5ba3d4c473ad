#!/bin/bash
# Runs inside the test guest (tests/guest/run.sh): every entry of RESULTS/plan under wine32, with
# an X display and the loopback HTTP test server up, as tests/harness/run-tests.sh does for wine64.
#   tests/guest/win32-suite.sh RESULTS
# Plan lines (paths are the same inside the guest as on the host):
#   gtest NAME EXE FILTER          a GoogleTest program, run once with --gtest_filter=FILTER
#   installer NAME EXE [ARGS...]   an NSIS installer test: passes when it exits 0 and the last line
#                                  of its log (MSK_TEST_LOG) is PASS
# For each entry it leaves RESULTS/NAME.log (what the program printed), RESULTS/NAME.status ("exit
# seconds") and, for GoogleTest programs, RESULTS/NAME.xml; tests/guest/summarize.py reads them.
set -euo pipefail
results=$(cd "${1:?results folder}" && pwd)
src=$(cd "$(dirname "$0")/../.." && pwd)
per_test_limit=${MSK_GUEST_TEST_TIMEOUT:-420}

# The 32-bit template prefix made with the image; the disk is a throw-away snapshot, so it is used
# in place and every run starts from the same state.
export WINEARCH=win32 WINEPREFIX=/opt/msk/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export MSK_WINE_RUN=1
# Installer tests stretch their wall-clock bounds by this (MskTest.nsh): the CPU is emulated, so
# a quit that takes 0.05 s under wine64 takes 0.5 s here on an idle host, over 1 s on a busy one.
export MSK_TEST_TIME_SCALE=4
server_dir=/tmp/msk-test-server
xvfb_pid=
cleanup() {
  python3 "$src/tests/server/msk_test_server.py" stop --state-dir "$server_dir" >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

t0=$(now)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>/tmp/msk-display 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 200); do [ -s /tmp/msk-display ] && break; sleep 0.05; done
[ -s /tmp/msk-display ] || { echo "win32-suite: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat /tmp/msk-display)"
# A persistent wineserver, and wine's own background processes started now, detached from any
# test's output (started by the first test, they would hold its log open).
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null
# No window manager here: without this, wine waits 2 s for one whenever a window is hidden. Set
# per run (the image's prefix predates it; the snapshot disk forgets it).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 </dev/null
# With the PKI the host made (tests/guest/run-win32-tests.sh): there is no openssl tool here.
python3 "$src/tests/server/msk_test_server.py" start --state-dir "$server_dir" --pki "$results/pki"
export MSK_TEST_SERVER_FILE="Z:$server_dir/server.info"
echo "win32-suite: wine, display and test server up in $(elapsed "$t0") s"

# Runs one plan entry and records its log and status.
run_entry() {
  local kind=$1 name=$2 exe=$3 args=$4 work=/tmp/msk-work/$2 started status test_log
  mkdir -p "$work"
  started=$(now)
  set +e
  if [ "$kind" = gtest ]; then
    rm -f "$results/$name.xml"
    (cd "$work" && timeout -k 10 "$per_test_limit" \
      wine "$exe" "--gtest_filter=$args" "--gtest_output=xml:Z:$results/$name.xml") \
      >"$results/$name.log" 2>&1 </dev/null
  else
    rm -f "$results/$name.testlog"
    # NSIS opens files only by paths with backslashes.
    test_log="Z:$results/$name.testlog"
    # shellcheck disable=SC2086 # the installer's own arguments, split as written in the plan
    (cd "$work" && MSK_TEST_LOG="${test_log//\//\\}" timeout -k 10 "$per_test_limit" \
      wine "$exe" $args) >"$results/$name.log" 2>&1 </dev/null
  fi
  status=$?
  set -e
  echo "$status $(elapsed "$started")" >"$results/$name.status"
  printf 'win32-suite: %-28s exit %-4s %6s s\n' "$name" "$status" "$(cut -d' ' -f2 "$results/$name.status")"
}

# Two lanes share the guest's two processors: the programs that open no window (the engine, the
# active objects, the tools) run beside those that do. Programs with windows run one at a time:
# they find dialogs by caption and would meet each other's on the one display.
windowless() { case $1 in aotl_* | hftp_* | msk_tools_*) return 0 ;; *) return 1 ;; esac; }
run_lane() {
  local lane=$1 kind name exe args
  while read -r kind name exe args; do
    case $kind in gtest | installer) ;; *) continue ;; esac
    if windowless "$name"; then [ "$lane" = windowless ] || continue; else [ "$lane" = windows ] || continue; fi
    run_entry "$kind" "$name" "$exe" "$args"
  done <"$results/plan"
}
run_lane windowless &
windowless_lane=$!
run_lane windows
wait "$windowless_lane"
echo "win32-suite: all ran in $(elapsed "$t0") s"
