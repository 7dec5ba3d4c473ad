#!/usr/bin/env bash
# Prints the project's version: the one set by project() in CMakeLists.txt.
set -euo pipefail
version=$(sed -nE 's/^project\(MarlowSetupKit VERSION ([0-9.]+).*/\1/p' "$(dirname "$0")/../CMakeLists.txt")
[ -n "$version" ] || { echo "project-version: no project version in CMakeLists.txt" >&2; exit 1; }
echo "$version"
