#!/usr/bin/env bash
# Sets up everything, builds the plug-in for both installer targets and says where it is.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" = 0 ]; then scripts/install-deps.sh; fi
scripts/build.sh win32 win64
echo
echo "x86-unicode installers: $(pwd)/build/win32/bin/MarlowSetupKit.dll"
echo "amd64-unicode installers: $(pwd)/build/win64/bin/MarlowSetupKit.dll"
