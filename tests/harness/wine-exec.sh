#!/usr/bin/env bash
# CTest's emulator for the Windows builds: runs one test program under wine64 in the private prefix
# that tests/harness/run-tests.sh prepared for this run.
if [ -z "${MSK_WINE_RUN:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-exec: run the Windows tests through tests/harness/run-tests.sh <build-dir>" >&2
  exit 2
fi
exec wine "$@"
