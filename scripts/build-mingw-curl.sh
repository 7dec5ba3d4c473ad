#!/usr/bin/env bash
# Builds a static, HTTP-only libcurl for one mingw target from Debian's curl source package.
# Usage: build-mingw-curl.sh <target-triple>
# The result lands in $MSK_CACHE_DIR/curl-<version>-<target>-<recipe> (include/, lib/); an existing
# result is reused, so only a new curl version or a change of this script triggers a rebuild.
set -euo pipefail
target=${1:?target triple, e.g. x86_64-w64-mingw32}
cache=${MSK_CACHE_DIR:-/var/cache/marlowsetupkit}
recipe=$(sha256sum "$0" | cut -c1-12)
version=$(apt-cache showsrc curl 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n1)
[ -n "$version" ] || { echo "build-mingw-curl: no curl source package known to apt (deb-src missing?)" >&2; exit 1; }
prefix="$cache/curl-${version//[:~]/_}-$target-$recipe"
if [ -f "$prefix/lib/libcurl.a" ]; then
  echo "libcurl for $target: cached at $prefix"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
apt-get source -qq --download-only curl >/dev/null
dpkg-source -x ./*.dsc src >/dev/null   # applies Debian's patches: the code is Debian's curl
cd src
[ -x configure ] || autoreconf -fi >/dev/null
echo "building libcurl $version for $target (a few minutes)"
# HTTP only: no TLS, no compression, no IDN, no SSPI, so curl_global_init pulls in nothing extra.
# Nor what the engine never switches on (Alt-Svc and HSTS caches, DNS over HTTPS, MIME posts, AWS
# signatures, verbose logging): the size report of the DLL shows them as dead weight.
./configure -q --host="$target" --prefix="$prefix.tmp" \
  --disable-shared --enable-static --with-pic \
  --without-ssl --without-zlib --without-brotli --without-zstd --without-libidn2 --without-winidn \
  --without-libpsl --without-nghttp2 --without-ngtcp2 --without-nghttp3 --without-librtmp --without-libssh2 \
  --without-libgsasl --without-hyper \
  --disable-ftp --disable-file --disable-ldap --disable-ldaps --disable-rtsp --disable-dict --disable-telnet \
  --disable-tftp --disable-pop3 --disable-imap --disable-smb --disable-smtp --disable-gopher --disable-mqtt \
  --disable-sspi --disable-ntlm --disable-ntlm-wb --disable-kerberos-auth --disable-negotiate-auth \
  --disable-manual --disable-docs --disable-unix-sockets \
  --disable-alt-svc --disable-hsts --disable-doh --disable-mime --disable-aws --disable-verbose \
  >configure.log 2>&1 \
  || { tail -40 configure.log >&2; exit 1; }
make -s -C lib -j"$(nproc)" >make.log 2>&1 || { tail -40 make.log >&2; exit 1; }
make -s -C lib install >/dev/null
make -s -C include install >/dev/null
rm -rf "$prefix"
mv "$prefix.tmp" "$prefix"
ln -sfn "$prefix" "$cache/curl-$target"
echo "libcurl for $target: built at $prefix"
