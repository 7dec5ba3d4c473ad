#!/usr/bin/env bash
# Configures and builds one or more presets: native, native-tsan, native-asan, win64, win32.
#   scripts/build.sh win64 win32
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/compiler-cache.sh
[ $# -gt 0 ] || set -- native win64 win32
for preset in "$@"; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
done
