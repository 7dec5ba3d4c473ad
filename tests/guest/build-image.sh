#!/usr/bin/env bash
# Builds the test guest once and caches it; prints the directory that holds it.
#   tests/guest/build-image.sh            # build if missing; stdout: the image directory
#
# The guest is a Debian 12 amd64 system with wine and wine32, booted under qemu's software
# emulation: this host's kernel cannot execute 32-bit x86 code, the guest's stock kernel can.
# The directory holds disk.img (ext4, the whole root file system), vmlinuz and initrd.img (booted
# directly, no boot loader) and "ready" once the image is complete.
#
# The cache key is a hash of the recipe (this script and tests/guest/image/*): changing either
# builds a new image on the next run and removes the old one. Only Debian's packages are used,
# fetched from the mirror this machine's apt is configured with. Needs root (debootstrap, chroot).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${MSK_CACHE_DIR:-/var/cache/marlowsetupkit}
suite=bookworm

key=$(cat "$here/build-image.sh" "$here"/image/* | sha256sum | cut -c1-16)
image=$cache/guest-$key
[ -f "$image/ready" ] && { echo "$image"; exit 0; }

log() { echo "build-image: $*" >&2; }
[ "$(id -u)" = 0 ] || { log "must run as root (debootstrap, chroot)"; exit 1; }
for tool in debootstrap mkfs.ext4 qemu-system-x86_64 flock; do
  command -v "$tool" >/dev/null || { log "$tool is missing: run scripts/install-deps.sh"; exit 1; }
done

mkdir -p "$cache"
# One build at a time; a second caller waits and then finds the image ready.
exec 9>"$cache/guest-image.lock"
flock 9
[ -f "$image/ready" ] && { echo "$image"; exit 0; }

# The Debian mirror this machine already uses: the first "deb" source serving the suite, from
# deb822 files or else the one-line format.
debian_mirror() {
  local uri
  uri=$(awk -v suite="$suite" 'BEGIN { RS = ""; FS = "\n" }
    {
      types = ""; uris = ""; suites = ""
      for (i = 1; i <= NF; i++) {
        if ($i ~ /^Types:/) types = $i
        else if ($i ~ /^URIs:/) uris = $i
        else if ($i ~ /^Suites:/) suites = $i
      }
      if (types ~ /[: ]deb( |$)/ && suites ~ ("[: ]" suite "( |$)")) {
        sub(/^URIs:[ \t]*/, "", uris); split(uris, u, " "); print u[1]; exit
      }
    }' /etc/apt/sources.list.d/*.sources 2>/dev/null || true)
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk -v suite="$suite" '$1 == "deb" {
        for (i = 2; i <= NF; i++) if ($i !~ /^\[/ && $i !~ /\]$/) break
        if ($(i + 1) == suite) { print $i; exit }
      }' /etc/apt/sources.list)
  fi
  [ -n "$uri" ] || { log "no Debian $suite source configured in /etc/apt"; return 1; }
  echo "$uri"
}

work=$(mktemp -d "$cache/guest-build.XXXXXX")
root=$work/root
# Unmounts whatever is still mounted inside the root (ours, or debootstrap's after a failure),
# deepest first: removing the work folder must never reach into the host's /dev or /proc.
unmount_all() {
  local m
  while read -r m; do umount -l "$m" 2>/dev/null || true; done < <(
    awk -v root="$root/" 'index($2 "/", root) == 1 { print $2 }' /proc/self/mounts | sort -r)
}
cleanup() {
  local status=$?
  unmount_all
  rm -rf --one-file-system "$work"
  exit $status
}
trap cleanup EXIT INT TERM

started=$SECONDS
mirror=$(debian_mirror)
log "debootstrap $suite (amd64, minbase)"
# linux-image for the guest kernel and initrd; kmod to load the 9p modules; udev and procps as the
# kernel package expects them.
debootstrap --arch=amd64 --variant=minbase --include=linux-image-amd64,kmod,udev,procps \
  "$suite" "$root" "$mirror" >"$work/debootstrap.log" 2>&1 || {
  tail -n 30 "$work/debootstrap.log" >&2
  exit 1
}

for fs in proc sys dev dev/pts; do
  mount --bind "/$fs" "$root/$fs"
done
# Nothing may start services inside the chroot.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod +x "$root/usr/sbin/policy-rc.d"
printf 'deb %s %s main\ndeb %s %s-updates main\n' "$mirror" "$suite" "$mirror" "$suite" \
  >"$root/etc/apt/sources.list"
echo msk-guest >"$root/etc/hostname"
# The guest resolves its own name, as wine asks for it (there is no DNS).
echo "127.0.1.1 msk-guest" >>"$root/etc/hosts"

mapfile -t packages < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$here/image/packages")
log "installing ${packages[*]}"
in_root() { chroot "$root" env DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8 "$@"; }
in_root dpkg --add-architecture i386
in_root apt-get update -qq >"$work/apt.log" 2>&1 || { tail -n 30 "$work/apt.log" >&2; exit 1; }
# i386 maintainer scripts that execute i386 programs fail here with "Exec format error"; the
# first boot configures them (image/provision.sh). Any other failure is real.
in_root apt-get install -y -qq --no-install-recommends "${packages[@]}" >>"$work/apt.log" 2>&1 || true
in_root dpkg --configure -a >>"$work/apt.log" 2>&1 || true
for p in "${packages[@]}"; do
  state=$(in_root dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || echo not-installed)
  case $state in
    installed | unpacked | half-configured) ;;
    *) log "package $p not installed ($state)"; tail -n 30 "$work/apt.log" >&2; exit 1 ;;
  esac
done
not_configured=$(in_root dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' |
  awk '$1 != "ii" && $2 !~ /:i386$/ {print $2}')
if [ -n "$not_configured" ]; then
  log "amd64 packages failed to configure:" $not_configured
  tail -n 30 "$work/apt.log" >&2
  exit 1
fi
in_root apt-get clean
rm -rf "$root"/var/lib/apt/lists/* "$root/usr/sbin/policy-rc.d"
install -m 755 "$here/image/boot.sh" "$root/sbin/msk-guest-boot"

cp "$(ls "$root"/boot/vmlinuz-* | sort -V | tail -n1)" "$work/vmlinuz"
cp "$(ls "$root"/boot/initrd.img-* | sort -V | tail -n1)" "$work/initrd.img"
unmount_all

log "making the disk image"
# Straight from the directory: no loop device or mount needed.
mkfs.ext4 -q -F -L msk-guest -d "$root" "$work/disk.img" 6G >/dev/null
rm -rf "$root"
log "root file system ready after $((SECONDS - started)) s"

log "first boot: configuring i386 packages and the wine prefix"
"$here/run.sh" --image "$work" --writable --timeout 1200 --share-ro "$here/image" \
  -- bash "$here/image/provision.sh" >&2

touch "$work/ready"
rm -rf "$image"
mv "$work" "$image"
trap - EXIT INT TERM
# Images of older recipes, and builds that were killed, are of no further use (the lock is ours).
for old in "$cache"/guest-*/; do
  [ "${old%/}" = "$image" ] || rm -rf "$old"
done
log "image $image built in $((SECONDS - started)) s"
echo "$image"
