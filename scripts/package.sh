#!/usr/bin/env bash
# Builds both shipping DLLs (the *-ship presets) and writes the release archive
# dist/MarlowSetupKit-<version>.zip in NSIS's folder layout (scripts/pack_release.py says what is
# in it); prints its path, size and SHA-256. The version is the CMake project version.
#   scripts/package.sh [--out FOLDER]    (default: dist)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/compiler-cache.sh
out=dist
if [ "${1:-}" = --out ]; then out=${2:?--out needs a folder}; fi

version=$(scripts/project-version.sh)

for preset in win32-ship win64-ship; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target MarlowSetupKit -j"$(nproc)" >/dev/null
done
python3 scripts/pack_release.py \
  --x86-dll build/win32-ship/bin/MarlowSetupKit.dll \
  --amd64-dll build/win64-ship/bin/MarlowSetupKit.dll \
  --out "$out/MarlowSetupKit-$version.zip"
