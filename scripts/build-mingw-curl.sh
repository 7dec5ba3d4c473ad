#!/usr/bin/env bash
# Builds a static libcurl (HTTP and HTTPS on Schannel) for one mingw target from Debian's curl
# source package, by the recipe in scripts/mingw-curl-recipe.sh.
# Usage: build-mingw-curl.sh <target-triple>
# The result lands in $MSK_CACHE_DIR/curl-<version>-<target>-<recipe> (include/, lib/); an existing
# result is reused, so only a new curl version or a change of the recipe triggers a rebuild.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=mingw-curl-recipe.sh
. "$here/mingw-curl-recipe.sh"
target=${1:?target triple, e.g. x86_64-w64-mingw32}
cache=${MSK_CACHE_DIR:-/var/cache/marlowsetupkit}
recipe=$(msk_curl_recipe_files | xargs cat "$0" | sha256sum | cut -c1-12)
version=$(msk_curl_version)
[ -n "$version" ] || { echo "build-mingw-curl: no curl source package known to apt (deb-src missing?)" >&2; exit 1; }
prefix="$cache/curl-${version//[:~]/_}-$target-$recipe"
if [ -f "$prefix/lib/libcurl.a" ]; then
  # The link names the build of this recipe even when it was made before: after a switch between
  # recipes (a branch, a patch) the build must not go on linking the other one.
  ln -sfn "$prefix" "$cache/curl-$target"
  echo "libcurl for $target: cached at $prefix"
  exit 0
fi

mkdir -p "$cache"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
echo "building libcurl $version for $target (a few minutes)"
msk_curl_configure "$target" "$prefix.tmp"   # leaves us in the source folder
make -s -C lib -j"${MSK_BUILD_JOBS:-2}" >make.log 2>&1 || { tail -40 make.log >&2; exit 1; }
make -s -C lib install >/dev/null
make -s -C include install >/dev/null
rm -rf "$prefix"
mv "$prefix.tmp" "$prefix"
ln -sfn "$prefix" "$cache/curl-$target"
echo "libcurl for $target: built at $prefix"
