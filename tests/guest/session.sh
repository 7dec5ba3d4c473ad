#!/bin/bash
# Runs inside the test guest as the second stage of its first process (the image's
# /sbin/msk-guest-boot), from the control folder /msk that tests/guest/run.sh shares:
#   /msk/mounts   "TAG PATH ro|rw" per host folder: mounted at the same path as on the host, so
#                 paths compiled into the test programs hold inside the guest too
#   /msk/command  the bash script to run
# It writes /msk/output (everything the command prints), /msk/started when the command starts
# and /msk/status (its exit status) when it ends. The boot script powers off afterwards.
set -u
ctl=/msk
say() { echo "msk-guest: $*" >/dev/console; }

mkdir -p /dev/pts /dev/shm
mountpoint -q /dev/pts || mount -t devpts devpts /dev/pts
mount -t tmpfs -o mode=1777 tmpfs /dev/shm
mount -t tmpfs -o mode=1777 tmpfs /tmp
mountpoint -q /run || mount -t tmpfs tmpfs /run
# No network device: loopback is all the tests may use. But programs (wine's wininet among them)
# judge "connected" by an interface with a default route, as on any networked machine; a dummy
# interface gives them one that leads nowhere: what is sent there is dropped.
ip link set lo up
modprobe dummy numdummies=0 &&
  ip link add msk-nowhere type dummy &&
  ip addr add 192.0.2.1/24 dev msk-nowhere &&
  ip link set msk-nowhere up &&
  ip route add default via 192.0.2.254 dev msk-nowhere ||
  say "no dummy network interface"
hostname msk-guest

# The folders are cached (cache=loose): wine cannot run a program from an uncached 9p mount (every
# one faults at its first instruction). So the host must not change them while the guest runs, and
# what the guest writes there reaches the host once the command has ended (sync below).
while read -r tag path mode; do
  mkdir -p "$path" 2>/dev/null
  if ! mount -t 9p -o "trans=virtio,version=9p2000.L,msize=524288,cache=loose,$mode" "$tag" "$path"; then
    say "cannot mount the host folder $path"
    echo 125 >"$ctl/status"
    exit 0
  fi
done <"$ctl/mounts"

export HOME=/root LANG=C.UTF-8 PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin TERM=dumb
: >"$ctl/started"
bash "$ctl/command" >>"$ctl/output" 2>&1 </dev/null
status=$?
sync
echo "$status" >"$ctl/status.new"
mv "$ctl/status.new" "$ctl/status"
