#!/usr/bin/env bash
# Runs one build's tests with CTest.
#   tests/harness/run-tests.sh <build-dir> [ctest arguments...]
# For a Windows build it runs them in a private wine session (tests/harness/wine-session.sh: its
# own prefix, wineserver and Xvfb display), removed again afterwards.
set -euo pipefail
build=$(cd "${1:?build directory}" && pwd)
shift
ctest_args=(--test-dir "$build" --output-on-failure --no-tests=error "$@")

if ! grep -q '^CMAKE_CROSSCOMPILING_EMULATOR:.*wine-exec' "$build/CMakeCache.txt" 2>/dev/null; then
  exec ctest "${ctest_args[@]}"
fi

run_dir=$(mktemp -d /tmp/msk-wine-run.XXXXXX)
# shellcheck source=wine-session.sh
. "$(dirname "$0")/wine-session.sh"

ctest "${ctest_args[@]}"
