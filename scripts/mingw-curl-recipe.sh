# The one recipe for libcurl on mingw, sourced by scripts/build-mingw-curl.sh (the library the DLL
# links) and bench/download/build-curl-tool.sh (curl's own tool, for comparison). Changing this file
# changes both cache keys.
#
# Debian's curl source package with Debian's patches, static, HTTP and HTTPS only. TLS is Schannel,
# the operating system's own: it adds no library to the DLL and is patched by Windows Update. The
# trusted roots are handed over by the engine at run time, so no CA bundle path is compiled in.

# Our own small changes to libcurl, applied on top of Debian's: see each patch's comments.
msk_curl_patch_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/curl-patches

# The files that decide what the recipe builds, for the cache keys: this file and the patches.
msk_curl_recipe_files() {
  printf '%s\n' "${BASH_SOURCE[0]}" "$msk_curl_patch_dir"/*.patch
}

# The curl source version apt knows, e.g. 7.88.1-10+deb12u15; empty when deb-src is missing.
msk_curl_version() {
  apt-cache showsrc curl 2>/dev/null | sed -n 's/^Version: //p' | sort -V | tail -n1
}

# Unpacks the source into ./src of the current folder, configured for TARGET, installing to PREFIX.
msk_curl_configure() {
  local target=$1 prefix=$2
  apt-get source -qq --download-only curl >/dev/null 2>&1
  dpkg-source -x ./*.dsc src >/dev/null   # applies Debian's patches: the code is Debian's curl
  cd src
  local patch
  for patch in "$msk_curl_patch_dir"/*.patch; do
    patch -s -p1 <"$patch" || { echo "curl patch $patch does not apply" >&2; return 1; }
  done
  [ -x configure ] || autoreconf -fi >/dev/null
  # Schannel brings SSPI with it, and with SSPI the sign-on at a proxy with the user's own Windows
  # credentials (NTLM and Negotiate, what corporate proxies ask for). Nothing else comes in: no
  # compression, no IDN, no NTLM through winbind, so curl_global_init pulls in nothing extra. Nor
  # what the engine never switches on (Alt-Svc and HSTS caches, DNS over HTTPS, MIME posts, AWS signatures): the size
  # report of the DLL shows them as dead weight. Verbose strings stay: without them every error
  # message libcurl hands over ends in a bare "Error", and the Download command shows those messages.
  ./configure -q --host="$target" --prefix="$prefix" \
    --disable-shared --enable-static --with-pic \
    --with-schannel --without-ca-bundle --without-ca-path --without-ca-fallback \
    --without-zlib --without-brotli --without-zstd --without-libidn2 --without-winidn \
    --without-libpsl --without-nghttp2 --without-ngtcp2 --without-nghttp3 --without-librtmp --without-libssh2 \
    --without-libgsasl --without-hyper \
    --disable-ftp --disable-file --disable-ldap --disable-ldaps --disable-rtsp --disable-dict --disable-telnet \
    --disable-tftp --disable-pop3 --disable-imap --disable-smb --disable-smtp --disable-gopher --disable-mqtt \
    --disable-ntlm-wb \
    --disable-manual --disable-docs --disable-unix-sockets \
    --disable-alt-svc --disable-hsts --disable-doh --disable-mime --disable-aws \
    >configure.log 2>&1 \
    || { tail -40 configure.log >&2; return 1; }
  grep -q '^#define USE_SCHANNEL 1' lib/curl_config.h || { echo "configure did not enable Schannel" >&2; return 1; }
  grep -q '^#define USE_WINDOWS_SSPI 1' lib/curl_config.h || { echo "configure did not enable SSPI" >&2; return 1; }
  if grep -Eq '^#define CURL_DISABLE_(NTLM|NEGOTIATE_AUTH|KERBEROS_AUTH) 1' lib/curl_config.h; then
    echo "configure left out NTLM, Negotiate or Kerberos" >&2; return 1
  fi
}
