#!/usr/bin/env bash
# Builds curl's own command-line tool for one mingw target by the recipe the plug-in's libcurl is
# built by (scripts/mingw-curl-recipe.sh: Debian's source, static, HTTP and HTTPS on Schannel), so
# the download benchmark can compare the plug-in with the ceiling of its dependency.
# Usage: build-curl-tool.sh <target-triple>; prints the path of curl.exe. Cached like the library.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
recipe_file=$here/../../scripts/mingw-curl-recipe.sh
# shellcheck source=../../scripts/mingw-curl-recipe.sh
. "$recipe_file"
target=${1:?target triple, e.g. x86_64-w64-mingw32}
cache=${MSK_CACHE_DIR:-/var/cache/marlowsetupkit}
recipe=$(msk_curl_recipe_files | xargs cat "$0" | sha256sum | cut -c1-12)
version=$(msk_curl_version)
[ -n "$version" ] || { echo "build-curl-tool: no curl source package known to apt" >&2; exit 1; }
prefix="$cache/curl-tool-${version//[:~]/_}-$target-$recipe"
if [ -x "$prefix/curl.exe" ]; then
  echo "$prefix/curl.exe"
  exit 0
fi

mkdir -p "$cache"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "building the curl tool $version for $target (a few minutes)" >&2
msk_curl_configure "$target" "$prefix.tmp"   # leaves us in the source folder
jobs=${MSK_BUILD_JOBS:-2}
make -s -C lib -j"$jobs" >make.log 2>&1 || { tail -40 make.log >&2; exit 1; }
make -s -C src -j"$jobs" >>make.log 2>&1 || { tail -40 make.log >&2; exit 1; }
mkdir -p "$prefix.tmp"
cp src/curl.exe "$prefix.tmp/curl.exe"
# The posix-threaded mingw runtime links the tool to winpthread; it runs from beside curl.exe.
imports=$("$target-objdump" -p src/curl.exe)
if grep -qi 'DLL Name: libwinpthread-1.dll' <<<"$imports"; then
  cp "$("$target-gcc" -print-file-name=libwinpthread-1.dll)" "$prefix.tmp/"
fi
rm -rf "$prefix"
mv "$prefix.tmp" "$prefix"
echo "$prefix/curl.exe"
