#!/usr/bin/env bash
# Runs the i686 build's Windows tests where 32-bit code can run: under wine32 in the emulated
# amd64 guest (this host's kernel cannot execute 32-bit x86 code).
#   tests/guest/run-win32-tests.sh BUILD_DIR     e.g. build/win32
# Runs every GoogleTest program the build made (found by content, so new suites need no entry
# here) except those in tests/guest/win32-skip.txt, and every installer test in
# BUILD_DIR/installer-tests/. The source tree is shared read-only and the build tree read-write
# (tests leave artifacts there), at their own paths: the paths compiled into the tests hold.
# Reports land in BUILD_DIR/guest-results; the last line is
# "guest-win32: N passed, N failed, N skipped".
# Environment: MSK_GUEST_TIMEOUT (whole guest run, s; default 1500), MSK_GUEST_TEST_TIMEOUT (one
# program, s; default 420).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$(cd "${1:?build directory}" && pwd)
results=$build/guest-results

dll=$build/bin/MarlowSetupKit.dll
[ -f "$dll" ] || { echo "run-win32-tests: $dll is missing: build the win32 preset first" >&2; exit 2; }
if ! i686-w64-mingw32-objdump -f "$dll" | grep -q 'file format pei-i386'; then
  echo "run-win32-tests: $build is not an i686 build" >&2
  exit 2
fi

rm -rf "$results"
mkdir -p "$results"

# The plan for the guest. GoogleTest programs are told apart by the flag names gtest compiles in.
declare -A skip_filter skip_reason
while read -r program filter reason; do
  case $program in '' | '#'*) continue ;; esac
  # Several lines for one program add up.
  if [ -n "${skip_filter[$program]:-}" ] && [ "$filter" != '*' ] && [ "${skip_filter[$program]}" != '*' ]; then
    skip_filter[$program]+=":$filter"
    skip_reason[$program]+="; $reason"
  else
    skip_filter[$program]=$filter
    skip_reason[$program]=$reason
  fi
done <"$here/win32-skip.txt"
while IFS= read -r exe; do
  grep -qa -- '--gtest_list_tests' "$exe" || continue
  name=$(basename "$exe" .exe)
  filter=${skip_filter[$name]:-}
  if [ "$filter" = '*' ]; then
    echo "skip $name - ${skip_reason[$name]}"
  elif [ -n "$filter" ]; then
    echo "gtest $name $exe -$filter"
    echo "skip $name:$filter - ${skip_reason[$name]}"
  else
    echo "gtest $name $exe *"
  fi
done < <(find "$build" -name '*.exe' -not -path '*/CMakeFiles/*' -not -path "$results/*" | sort) >"$results/plan"
# An installer's arguments are in NAME.args beside it (cmake/MskInstallerTests.cmake).
for installer in "$build"/installer-tests/*.exe; do
  [ -f "$installer" ] || continue
  arguments=/S
  [ -f "${installer%.exe}.args" ] && arguments=$(cat "${installer%.exe}.args")
  echo "installer $(basename "$installer" .exe) $installer $arguments"
done >>"$results/plan"
grep -qE '^(gtest|installer) ' "$results/plan" || { echo "run-win32-tests: no test programs in $build" >&2; exit 2; }

# The test server's PKI, made here: the guest has no openssl tool (tests/server/msk_test_tls.py).
python3 "$src/tests/server/msk_test_tls.py" make-pki "$results/pki"

t0=$SECONDS
image=$("$here/build-image.sh")
echo "run-win32-tests: guest image ready in $((SECONDS - t0)) s ($image)"

t1=$SECONDS
set +e
"$here/run.sh" --image "$image" --timeout "${MSK_GUEST_TIMEOUT:-1500}" \
  --share-ro "$src" --share "$build" \
  --env "MSK_GUEST_TEST_TIMEOUT=${MSK_GUEST_TEST_TIMEOUT:-420}" \
  -- bash "$here/win32-suite.sh" "$results"
guest_status=$?
set -e
echo "run-win32-tests: guest run took $((SECONDS - t1)) s (exit $guest_status)"

set +e
python3 "$here/summarize.py" "$results"
summary_status=$?
set -e
[ "$guest_status" = 0 ] && [ "$summary_status" = 0 ]
