#!/usr/bin/env bash
# Runs one makensis-built amd64 installer under wine64 as an installer test runs (a private wine
# session, the loopback test server, MSK_TEST_LOG), and prints what it logged; the counterpart of
# tests/guest/run-installer.sh for the x86 build.
#   tests/harness/run-installer.sh INSTALLER.exe [INSTALLER ARGUMENTS...]   (default argument: /S)
# Exit status: the installer's. For the scripts that run long installers (bench/) and by hand.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
installer=$(cd "$(dirname "${1:?installer}")" && pwd)/$(basename "$1")
shift
[ $# -gt 0 ] || set -- /S

run_dir=$(mktemp -d /tmp/msk-wine-run.XXXXXX)
msk_session_cleanup_extra() {
  python3 "$src/tests/server/msk_test_server.py" stop --state-dir "$run_dir/server" >/dev/null 2>&1
}
# shellcheck source=wine-session.sh
. "$here/wine-session.sh"

python3 "$src/tests/server/msk_test_server.py" start --state-dir "$run_dir/server" >/dev/null
export MSK_TEST_SERVER_FILE="Z:$run_dir/server/server.info"
log="$run_dir/installer.log"
set +e
# NSIS opens files only by paths with backslashes.
MSK_TEST_LOG="Z:${log//\//\\}" wine "$installer" "$@"
status=$?
set -e
[ -s "$log" ] && cat "$log"
exit "$status"
