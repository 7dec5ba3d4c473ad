#!/usr/bin/env bash
# The main job: sets up everything, builds both DLLs, the example payload and the example installer
# for both targets, serves the payload from 127.0.0.1, runs the amd64 installer under wine64 with
# its pages (a helper clicks Install and, at the end, Close) and reports its exit code, the
# downloaded file's size and checksum against the payload, a screenshot of the download dialog
# taken mid-download and the sizes of both DLLs; then writes the release archive (scripts/package.sh)
# and prints its path, size and SHA-256. Cleans up every process it started.
#   MSK_PAYLOAD_MIB (default 48) and MSK_PAYLOAD_RATE_MIB (default 8) size and pace the download.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
demo="$root/build/demo"
payload_mib=${MSK_PAYLOAD_MIB:-48}
rate_mib=${MSK_PAYLOAD_RATE_MIB:-8}
started=$(date +%s)

if [ "$(id -u)" = 0 ]; then scripts/install-deps.sh; fi

# The DLLs as they ship: the *-ship presets build them without the tests and so without the thread
# checks that every test build carries (CMakeLists.txt, MSK_THREAD_CHECKS).
echo "== building the DLLs"
for preset in win32-ship win64-ship; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target MarlowSetupKit -j"$(nproc)" >/dev/null
done
x86_dll="$root/build/win32-ship/bin/MarlowSetupKit.dll"
amd64_dll="$root/build/win64-ship/bin/MarlowSetupKit.dll"
version=$(scripts/project-version.sh)
for dll in "i686:$x86_dll" "x86_64:$amd64_dll"; do
  python3 tests/plugin/check_exports.py --objdump "${dll%%:*}-w64-mingw32-objdump" \
    --def src/plugin/MarlowSetupKit.def --version "$version" --symbols "${dll#*:}.debug" "${dll#*:}" ||
    echo "the DLL as shipped fails its export-table check"
done
# The program that plays the user at the installer's pages, from the test build.
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target msk_dialog_button -j"$(nproc)" >/dev/null
helper="$root/build/win64/tests/ui/msk_dialog_button.exe"

echo "== building the example payload and installers"
mkdir -p "$demo"
x86_64-w64-mingw32-windres examples/payload/VelmarPayload.rc -O coff -o "$demo/payload.res"
x86_64-w64-mingw32-gcc -O2 -municode -mwindows -o "$demo/payload-program.exe" \
  examples/payload/VelmarPayload.c "$demo/payload.res"
# The payload: the program followed by random bytes (Windows ignores data after the image).
cp "$demo/payload-program.exe" "$demo/velmar-payload.exe"
head -c "$((payload_mib * 1024 * 1024))" /dev/urandom >>"$demo/velmar-payload.exe"
for target in "x86-unicode:$x86_dll" "amd64-unicode:$amd64_dll"; do
  makensis -V2 -INPUTCHARSET UTF8 "-X!addincludedir $root/nsis" \
    -DMSK_TARGET="${target%%:*}" -DMSK_DLL_SOURCE="${target#*:}" \
    -DOUTFILE="$demo/VelmarSetup-${target%%-*}.exe" examples/VelmarSetup.nsi
done

server_pid=
xvfb_pid=
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  WINEPREFIX="$demo/wineprefix" wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

echo "== serving the payload on 127.0.0.1 at $rate_mib MiB/s"
rm -f "$demo/port"
python3 scripts/demo/serve_payload.py "$demo/velmar-payload.exe" \
  --rate "$((rate_mib * 1024 * 1024))" --port-file "$demo/port" &
server_pid=$!
for _ in $(seq 100); do [ -s "$demo/port" ] && break; sleep 0.05; done
url="http://127.0.0.1:$(cat "$demo/port")/velmar-payload.exe"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== using your display $DISPLAY"
else
  rm -f "$demo/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$demo/display" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$demo/display" ] && break; sleep 0.05; done
  export DISPLAY=":$(cat "$demo/display")"
  echo "== no display: using Xvfb $DISPLAY"
fi

# A private wine prefix, kept between runs of the main job (never your own ~/.wine).
export WINEPREFIX="$demo/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== preparing a wine prefix (once)"
  wineboot -i >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  wineserver -w
fi

install_dir="$demo/install"
rm -rf "$install_dir"
windows_install_dir="Z:$(sed 's|/|\\|g' <<<"$install_dir")"
want=$(sha256sum "$demo/velmar-payload.exe" | cut -d' ' -f1)
echo "== running the amd64 installer with its pages: $url"
wine "$demo/VelmarSetup-amd64.exe" "/URL=$url" "/SHA256=$want" "/D=$windows_install_dir" &
installer_pid=$!
wine "$helper" "Velmar Setup: Installation Folder" 1 click 60000 >/dev/null 2>&1 ||
  echo "the installer's folder page did not show"

# Mid-download screenshot: wait for the dialog and for a tenth of the payload.
screenshot="$demo/download-dialog.png"
rm -f "$screenshot"
payload_size=$(stat -c %s "$demo/velmar-payload.exe")
for _ in $(seq 300); do
  window=$(xdotool search --name '^Velmar Installation$' 2>/dev/null | head -n1 || true)
  got=$(stat -c %s "$install_dir/velmar-payload.exe" 2>/dev/null || echo 0)
  if [ -n "$window" ] && [ "$got" -gt "$((payload_size / 10))" ]; then
    xwd -silent -id "$window" | convert xwd:- "$screenshot" 2>/dev/null || true
    break
  fi
  kill -0 "$installer_pid" 2>/dev/null || break
  sleep 0.1
done

# Close on the finished page; an installer that never gets there (it asks "Try Again") is ended.
if ! wine "$helper" "Velmar Setup: Completed" 1 click 600000 >/dev/null 2>&1; then
  echo "the installer did not reach its finished page"
  kill "$installer_pid" 2>/dev/null || true
fi

set +e
wait "$installer_pid"
exit_code=$?
set -e

echo
echo "installer exit code: $exit_code"
if [ -f "$install_dir/velmar-payload.exe" ]; then
  got_size=$(stat -c %s "$install_dir/velmar-payload.exe")
  got=$(sha256sum "$install_dir/velmar-payload.exe" | cut -d' ' -f1)
else
  got_size=0 got="(no file)"
fi
echo "payload:    $payload_size bytes, sha256 $want"
echo "downloaded: $got_size bytes, sha256 $got"
[ "$want" = "$got" ] && echo "checksum: match" || echo "checksum: MISMATCH"
[ -f "$install_dir/install-report.txt" ] && sed 's/^/report: /' "$install_dir/install-report.txt" | tr -d '\r'
if [ -s "$screenshot" ]; then echo "screenshot of the download dialog: $screenshot"; else echo "screenshot: none taken"; fi
echo "installers: $demo/VelmarSetup-x86.exe, $demo/VelmarSetup-amd64.exe"
echo "MarlowSetupKit.dll: x86 $(stat -c %s "$x86_dll") bytes ($x86_dll)," \
  "amd64 $(stat -c %s "$amd64_dll") bytes ($amd64_dll)" \
  "(stripped; symbols beside each in MarlowSetupKit.dll.debug)"
echo
echo "== the release archive"
scripts/package.sh
echo "main job took $(( $(date +%s) - started )) s"
[ "$exit_code" = 0 ] && [ "$want" = "$got" ]
