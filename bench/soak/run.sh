#!/usr/bin/env bash
# The soak: one installer process makes DOWNLOADS Download calls (nine in ten small files over HTTP
# and HTTPS, one in ten failing in one of ten ways) and an HTTPDownload after every fifth, each
# behind its dialog (bench/soak/Soak.nsi), and the figures after the first 50 calls and at the
# end are printed: handles, GDI and USER objects, threads, private bytes (wine answers 0 for
# handles, GDI and USER objects; Windows gives them). They hold when every end figure
# is within 5 % (or, for private bytes, 2 MiB) of the first; the script exits 1 when one is not.
#   bench/soak/run.sh [BUILD_DIR] [DOWNLOADS]     # default build/win64 and 1000
# An i686 build (build/win32) runs in the emulated guest (tests/guest/run-installer.sh; give it
# fewer calls, e.g. 200), an x86_64 one under wine64 (tests/harness/run-installer.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${1:-$root/build/win64}")
downloads=${2:-1000}
[ $((downloads % 10)) = 0 ] && [ "$downloads" -ge 100 ] || { echo "DOWNLOADS: a multiple of ten, 100 or more" >&2; exit 2; }
[ -f "$build/CMakeCache.txt" ] || { echo "soak: configure $build first (scripts/build.sh)" >&2; exit 2; }
cmake --build "$build" -j"${MSK_BUILD_JOBS:-2}" --target MarlowSetupKit msk_trust_test_ca >/dev/null
dll=$build/bin/MarlowSetupKit.dll
# shellcheck source=../installer-runner.sh
. "$root/bench/installer-runner.sh"

work=$(mktemp -d /tmp/msk-soak.XXXXXX)
trap 'rm -rf "$work"' EXIT
makensis -V2 -INPUTCHARSET UTF8 "-X!addincludedir $root/tests/installer" -DMSK_TARGET=$target \
  "-DMSK_DLL_SOURCE=$dll" "-DMSK_NSIS_DIR=$root/nsis" -DMSK_TEST_SHOWS_PAGES \
  "-DMSK_TRUST_TEST_CA=$build/tests/installer/msk_trust_test_ca.exe" \
  "-DMSK_SOAK_DOWNLOADS=$downloads" "-DMSK_OUT=$work/Soak.exe" "$root/bench/soak/Soak.nsi"

started=$(date +%s)
# /NCRC: any argument but /S, so that the installer shows its pages and each call its dialog.
set +e
"$runner" "$work/Soak.exe" /NCRC | tee "$work/output"
status=${PIPESTATUS[0]}
set -e
elapsed=$(($(date +%s) - started))
grep -q '^PASS' "$work/output" || { echo "soak: the installer failed (exit $status) after ${elapsed} s" >&2; exit 1; }

python3 - "$work/output" "$target" "$downloads" "$elapsed" <<'PY'
import re, sys
output, target, downloads, elapsed = sys.argv[1:]
figures = {}
for line in open(output, encoding="utf-8", errors="replace"):
    m = re.match(r"FIGURES (\w+) (.*)", line.strip())
    if m:
        figures[m.group(1)] = {k: int(v) for k, v in (f.split("=") for f in m.group(2).split())}
first, end = figures["after50"], figures["end"]
print(f"soak {target}: {end['calls']} calls ({downloads} Download, {end['failures']} of them failing;"
      f" {end['calls'] - int(downloads)} HTTPDownload) in {elapsed} s")
held = True
for key, unit, slack in (("handles", "", 0), ("gdi", "", 0), ("user", "", 0), ("threads", "", 0),
                         ("private", " bytes", 2 << 20)):
    a, b = first[key], end[key]
    bound = max(a * 0.05, slack)
    ok = b - a <= bound
    held &= ok
    print(f"  {key:8} after 50: {a:>12,}{unit}   end: {b:>12,}{unit}   change {b - a:+,}"
          f"   {'within' if ok else 'OVER'} {bound:,.0f}")
sys.exit(0 if held else 1)
PY
