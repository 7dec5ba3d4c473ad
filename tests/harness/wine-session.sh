# A private wine session for one run, sourced by the scripts that run Windows code here
# (tests/harness/run-tests.sh, tests/harness/run-installer.sh):
#   run_dir=$(mktemp -d /tmp/msk-wine-run.XXXXXX); . tests/harness/wine-session.sh
# It makes a wine prefix in $run_dir (never the user's own), starts a persistent wineserver in it
# (a process then costs milliseconds instead of seconds) and an Xvfb display, exports WINEPREFIX,
# DISPLAY and MSK_WINE_RUN, and sets an EXIT trap that stops both and removes $run_dir, keeping
# the script's exit status. A script with more to clean up puts it in msk_session_cleanup_extra.
: "${run_dir:?run_dir: the folder for this run}"
xvfb_pid=
msk_session_cleanup_extra() { :; }
msk_session_cleanup() {
  local status=$?
  msk_session_cleanup_extra || true
  WINEPREFIX="$run_dir/prefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$run_dir"
  exit $status
}
trap msk_session_cleanup EXIT INT TERM

export WINEPREFIX="$run_dir/prefix" WINEARCH=win64 WINEDEBUG=-all MSK_WINE_RUN=1
# No Mono or Gecko installers: nothing here needs .NET or HTML.
export WINEDLLOVERRIDES="mscoree,mshtml="

# One X display for the run; -displayfd picks a free one and tells us which.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run_dir/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$run_dir/display" ] && break; sleep 0.05; done
[ -s "$run_dir/display" ] || { echo "wine-session: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$run_dir/display")"

wineboot -i >/dev/null 2>&1
# There is no window manager: wine draws the window frames itself, so screenshots look like
# Windows, and does not hand windows to a manager, so hiding one does not wait 2 s for an answer
# that never comes (that wait was most of the GUI tests' time). A crash prints its backtrace and
# ends the process instead of waiting for someone to answer the crash dialog.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
wineserver -w
wineserver -p
# Start wine's own background processes (services, explorer) now, detached from any output pipe:
# started by the first process instead, they would inherit its stdout and whoever reads that
# output (CTest) would wait for them to close it.
wine cmd /c exit >/dev/null 2>&1 </dev/null
