#!/usr/bin/env bash
# Builds the libFuzzer harnesses of tests/fuzz with Debian's clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs each for SECONDS (default 60), at low priority, starting from
# its seed corpus (tests/fuzz/corpus/NAME). Prints each harness's executions and findings; a
# finding's input is left in build/fuzz/findings/NAME/. Not part of CI.
#   scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build/fuzz
mkdir -p "$out"
cxx=${MSK_FUZZ_CXX:-clang++}
flags=(-std=c++17 -O1 -g -Isrc -I. -I"$out/gen" -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all)

# The version header CMake would generate (res/MskVersion.h.in), for the command's parser.
mkdir -p "$out/gen"
version=$(scripts/project-version.sh)
IFS=. read -r major minor patch <<<"$version"
sed -e "s/@PROJECT_VERSION_MAJOR@/$major/;s/@PROJECT_VERSION_MINOR@/$minor/" \
  -e "s/@PROJECT_VERSION_PATCH@/$patch/;s/@PROJECT_VERSION@/$version/" res/MskVersion.h.in >"$out/gen/MskVersion.h"

# Each harness with the portable sources it exercises.
declare -A sources=(
  [HeaderHandlerFuzz]="src/hftp/detail/HeaderParsing.cpp src/hftp/detail/ByteRange.cpp"
  [PemBundleFuzz]="src/hftp/detail/PemBundle.cpp"
  [ProgressTextFuzz]="src/download/ProgressText.cpp src/download/Translations.cpp"
  [DownloadArgumentsFuzz]="src/plugin/DownloadCommand.cpp src/plugin/DialogTextOptions.cpp src/download/Translations.cpp src/hftp/detail/TransferRequest.cpp src/hftp/SystemProxyPortable.cpp src/tools/StringTools.cpp src/tools/detail/CodePageApi.cpp src/tools/detail/CodePagePortable.cpp"
  [Utf8ConversionFuzz]="src/tools/StringTools.cpp src/tools/detail/CodePageApi.cpp src/tools/detail/CodePagePortable.cpp"
)

total_runs=0
total_findings=0
for name in HeaderHandlerFuzz PemBundleFuzz ProgressTextFuzz DownloadArgumentsFuzz Utf8ConversionFuzz; do
  # shellcheck disable=SC2086
  nice "$cxx" "${flags[@]}" "tests/fuzz/$name.cpp" ${sources[$name]} -o "$out/$name"
  corpus="$out/corpus/$name"
  findings="$out/findings/$name"
  mkdir -p "$corpus" "$findings"
  cp -n tests/fuzz/corpus/"$name"/* "$corpus"/ 2>/dev/null || true
  log="$out/$name.log"
  # Findings end the run early; the rest of the time is not made up.
  set +e
  UBSAN_OPTIONS=print_stacktrace=1 nice -n 19 "$out/$name" -max_total_time="$seconds" \
    -print_final_stats=1 -artifact_prefix="$findings/" -max_len=4096 "$corpus" >"$log" 2>&1
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  found=$(find "$findings" -type f | wc -l)
  total_runs=$((total_runs + ${runs:-0}))
  total_findings=$((total_findings + found))
  printf '%-20s %12s executions  %d findings  (log %s)\n' "$name" "${runs:-0}" "$found" "$log"
done
printf '%-20s %12s executions  %d findings\n' "all" "$total_runs" "$total_findings"
