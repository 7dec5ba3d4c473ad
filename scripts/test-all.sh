#!/usr/bin/env bash
# Sets up everything and runs every test suite:
#   native build, ThreadSanitizer and ASan+UBSan builds (portable core), win64 under wine64,
#   win32 (export table checked here; its tests under wine32 in an emulated amd64 guest, because
#   this kernel cannot run 32-bit code: tests/guest, skipped with MSK_SKIP_GUEST=1).
# Prints one closing line "N passed, N failed".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

if [ "$(id -u)" = 0 ]; then
  scripts/install-deps.sh || { echo "install-deps failed"; exit 1; }
else
  echo "not root: assuming dependencies are installed (scripts/install-deps.sh)"
fi

presets=(${MSK_TEST_PRESETS:-native native-tsan native-asan win64 win32})

# The emulated guest's image takes 10-20 minutes to build on a cold machine, mostly downloading and
# unpacking packages: build it in the background, at low priority, while the other suites build
# and run. With the image cached this ends at once.
image_pid=
if [[ " ${presets[*]} " == *" win32 "* ]] && [ "${MSK_SKIP_GUEST:-0}" != 1 ] && [ "$(id -u)" = 0 ]; then
  mkdir -p build
  nice -n 10 tests/guest/build-image.sh >build/guest-image.log 2>&1 &
  image_pid=$!
fi
passed=0
failed=0
failed_suites=()
for preset in "${presets[@]}"; do
  if ! scripts/build.sh "$preset"; then
    failed=$((failed + 1)); failed_suites+=("$preset (build)"); continue
  fi
  log="$root/build/$preset/test-output.log"
  echo "== test $preset"
  tests/harness/run-tests.sh "build/$preset" -j2 2>&1 | tee "$log" | grep -E '^\s*[0-9]+/[0-9]+ Test|tests passed|FAILED|Failed' || true
  result=${PIPESTATUS[0]}
  counts=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$counts")
  bad=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$counts")
  if [ -z "$counts" ]; then
    failed=$((failed + 1)); failed_suites+=("$preset (no results)")
  else
    passed=$((passed + total - bad)); failed=$((failed + bad))
    [ "$result" = 0 ] || failed_suites+=("$preset")
  fi
  if [ "$preset" = win32 ] && [ "${MSK_SKIP_GUEST:-0}" != 1 ] && [ "$(id -u)" != 0 ]; then
    echo "not root: the emulated 32-bit guest is left out (it needs root)"
  elif [ "$preset" = win32 ] && [ "${MSK_SKIP_GUEST:-0}" != 1 ]; then
    log="$root/build/win32/guest-output.log"
    echo "== test win32 in the emulated guest"
    if [ -n "$image_pid" ]; then
      wait "$image_pid" || echo "the guest image build failed (build/guest-image.log):"
      tail -n 3 build/guest-image.log
    fi
    tests/guest/run-win32-tests.sh build/win32 2>&1 | tee "$log"
    result=${PIPESTATUS[0]}
    counts=$(grep -E '^guest-win32: [0-9]+ passed, [0-9]+ failed' "$log" | tail -n1)
    if [ -z "$counts" ]; then
      failed=$((failed + 1)); failed_suites+=("win32 guest (no results)")
    else
      passed=$((passed + $(sed -E 's/.*: ([0-9]+) passed.*/\1/' <<<"$counts")))
      failed=$((failed + $(sed -E 's/.* ([0-9]+) failed.*/\1/' <<<"$counts")))
      [ "$result" = 0 ] || failed_suites+=("win32 guest")
    fi
  fi
done

[ ${#failed_suites[@]} -eq 0 ] || echo "failing: ${failed_suites[*]}"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ] && [ ${#failed_suites[@]} -eq 0 ]
