#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian 12 machine, as root.
# Idempotent: a second run installs nothing new and rebuilds nothing that is cached.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

packages=(
  cmake ninja-build g++ python3 pkg-config dpkg-dev patch
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine wine64 xvfb x11-apps x11-utils imagemagick xdotool nsis nsis-pluginapi
  fonts-wqy-microhei
  googletest libgtest-dev libgmock-dev libcurl4-openssl-dev libssl-dev libboost-dev
  curl clang-format ccache
  clang libclang-rt-14-dev
  ca-certificates openssl osslsigncode
  qemu-system-x86 debootstrap
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# The mingw libcurl is built from Debian's own curl sources, so the source index must be enabled.
# Derive deb-src entries from whatever deb entries the machine already uses.
ensure_deb_src() {
  local src=/etc/apt/sources.list.d/debian.sources
  local out=/etc/apt/sources.list.d/msk-deb-src.sources
  [ -f "$out" ] && return 0
  grep -qs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources && return 0
  grep -qs '^deb-src' /etc/apt/sources.list && return 0
  if [ -f "$src" ]; then
    sed -e 's/^Types:.*/Types: deb-src/' "$src" >"$out"
  elif [ -f /etc/apt/sources.list ]; then
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list >/etc/apt/sources.list.d/msk-deb-src.list
  fi
  need_update=1
}

need_update=0
ensure_deb_src
if [ ${#missing[@]} -gt 0 ] || [ "$need_update" = 1 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  [ ${#missing[@]} -gt 0 ] && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# mingw defaults to the win32 thread model; the project uses the posix one (std::thread).
for t in x86_64-w64-mingw32 i686-w64-mingw32; do
  for tool in g++ gcc; do
    [ -e "/usr/bin/$t-$tool-posix" ] && update-alternatives --set "$t-$tool" "/usr/bin/$t-$tool-posix" >/dev/null 2>&1 || true
  done
done

"$here/build-mingw-curl.sh" x86_64-w64-mingw32
"$here/build-mingw-curl.sh" i686-w64-mingw32
