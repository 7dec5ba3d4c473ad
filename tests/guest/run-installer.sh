#!/usr/bin/env bash
# Runs one makensis-built installer under wine32 in the emulated guest, as an installer test is
# run there (display, loopback test server, MSK_TEST_LOG), and prints what it logged.
#   tests/guest/run-installer.sh INSTALLER.exe [INSTALLER ARGUMENTS...]   (default argument: /S)
# Environment: MSK_GUEST_TIMEOUT (the whole guest run, s; default 600), MSK_GUEST_TEST_TIMEOUT
# (the installer, s; default 420). Exit status: the installer's. For trying an x86-unicode installer by hand; the installer tests
# of a build run with tests/guest/run-win32-tests.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
installer=$(cd "$(dirname "${1:?installer}")" && pwd)/$(basename "$1")
shift
[ $# -gt 0 ] || set -- /S

results=$(mktemp -d /tmp/msk-installer-run.XXXXXX)
trap 'rm -rf "$results"' EXIT
name=$(basename "$installer" .exe)
echo "installer $name $installer $*" >"$results/plan"
# The test server's PKI, made here: the guest has no openssl tool (tests/server/msk_test_tls.py).
python3 "$src/tests/server/msk_test_tls.py" make-pki "$results/pki" >/dev/null

"$here/run.sh" --timeout "${MSK_GUEST_TIMEOUT:-600}" \
  --env "MSK_GUEST_TEST_TIMEOUT=${MSK_GUEST_TEST_TIMEOUT:-420}" \
  --share-ro "$src" --share-ro "$(dirname "$installer")" --share "$results" \
  -- bash "$here/win32-suite.sh" "$results" || true
for f in log testlog; do
  if [ -s "$results/$name.$f" ]; then
    echo "--- $name.$f"
    cat "$results/$name.$f"
  fi
done
[ -s "$results/$name.status" ] || { echo "run-installer: the installer did not run" >&2; exit 125; }
exit "$(cut -d' ' -f1 "$results/$name.status")"
