#!/usr/bin/env bash
# Runs one installer test (see MskTest.nsh) with CTest's emulator and judges it: passed when the
# installer exits 0 and its log ends with PASS. Prints the log either way.
#   run-installer-test.sh EMULATOR INSTALLER.exe [INSTALLER ARGUMENTS...]
set -euo pipefail
emulator=$1
installer=$2
shift 2
log=$(mktemp /tmp/msk-installer-test.XXXXXX)
trap 'rm -f "$log"' EXIT
set +e
# The installer is a Windows process: it sees the Linux file system under drive Z:, and NSIS
# opens files only by paths with backslashes.
MSK_TEST_LOG="Z:${log//\//\\}" "$emulator" "$installer" "$@"
status=$?
set -e
cat "$log"
last=$(tail -n 1 "$log" | tr -d '\r')
if [ "$status" != 0 ] || [ "$last" != PASS ]; then
  echo "installer test failed: exit $status, last log line '$last'" >&2
  exit 1
fi
