#!/bin/bash
# Runs once inside the new test guest, booted with its image writable, to finish what cannot be
# done in a chroot on a host that cannot execute 32-bit code:
#  - configure the i386 packages whose maintainer scripts failed there ("Exec format error");
#  - make the template wine prefix (32-bit) every run uses. Runs open the image with snapshot=on,
#    so they use the prefix in place and never change it; making a prefix costs ~40 s emulated.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

dpkg --configure -a
unconfigured=$(dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 != "ii" {print $2}')
if [ -n "$unconfigured" ]; then
  echo "provision: packages still not configured:" $unconfigured >&2
  exit 1
fi

export WINEARCH=win32 WINEPREFIX=/opt/msk/wineprefix WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs .NET or HTML, and there is no network.
export WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"

display_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" 2>/dev/null &
xvfb_pid=$!
trap 'kill $xvfb_pid 2>/dev/null || true; rm -f "$display_file"' EXIT
for _ in $(seq 200); do [ -s "$display_file" ] && break; sleep 0.1; done
[ -s "$display_file" ] || { echo "provision: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat "$display_file")"

started=$SECONDS
wineboot -i
# Window frames drawn by wine itself (there is no window manager).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
# A crash starts winedbg at once and without its dialog: it prints the backtrace into the test's
# output and the process ends. (Auto=0 waits for someone to answer a dialog: the test would hang
# until its time limit.)
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Auto /d 1 /f
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
wineserver -w
echo "provision: wine prefix made in $((SECONDS - started)) s"

# The prefix must really be a 32-bit one that runs 32-bit programs.
[ -d "$WINEPREFIX/drive_c/windows/system32" ] && [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ] || {
  echo "provision: $WINEPREFIX is not a 32-bit prefix" >&2
  exit 1
}
wine cmd /c echo 32-bit wine works
wineserver -w
