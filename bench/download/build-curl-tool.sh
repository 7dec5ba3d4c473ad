#!/usr/bin/env bash
# Builds curl's own command-line tool for one mingw target from the Debian curl source that
# scripts/build-mingw-curl.sh builds the plug-in's libcurl from, with the same options (HTTP only,
# static), so the download benchmark can compare the plug-in with the ceiling of its dependency.
# Usage: build-curl-tool.sh <target-triple>; prints the path of curl.exe. Cached like the library.
set -euo pipefail
target=${1:?target triple, e.g. x86_64-w64-mingw32}
cache=${MSK_CACHE_DIR:-/var/cache/marlowsetupkit}
recipe=$(cat "$0" "$(dirname "$0")/../../scripts/build-mingw-curl.sh" | sha256sum | cut -c1-12)
version=$(apt-cache showsrc curl 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n1)
[ -n "$version" ] || { echo "build-curl-tool: no curl source package known to apt" >&2; exit 1; }
prefix="$cache/curl-tool-${version//[:~]/_}-$target-$recipe"
if [ -x "$prefix/curl.exe" ]; then
  echo "$prefix/curl.exe"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source -qq --download-only curl >/dev/null 2>&1
dpkg-source -x ./*.dsc src >/dev/null
cd src
[ -x configure ] || autoreconf -fi >/dev/null
echo "building the curl tool $version for $target (a few minutes)" >&2
# The library's options (scripts/build-mingw-curl.sh).
./configure -q --host="$target" --prefix="$prefix.tmp" \
  --disable-shared --enable-static --with-pic \
  --without-ssl --without-zlib --without-brotli --without-zstd --without-libidn2 --without-winidn \
  --without-libpsl --without-nghttp2 --without-ngtcp2 --without-nghttp3 --without-librtmp --without-libssh2 \
  --without-libgsasl --without-hyper \
  --disable-ftp --disable-file --disable-ldap --disable-ldaps --disable-rtsp --disable-dict --disable-telnet \
  --disable-tftp --disable-pop3 --disable-imap --disable-smb --disable-smtp --disable-gopher --disable-mqtt \
  --disable-sspi --disable-ntlm --disable-ntlm-wb --disable-kerberos-auth --disable-negotiate-auth \
  --disable-manual --disable-docs --disable-unix-sockets >configure.log 2>&1 \
  || { tail -40 configure.log >&2; exit 1; }
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
