#!/bin/sh
# The test guest's first process (installed as /sbin/msk-guest-boot, booted with init=).
# It mounts the control folder that tests/guest/run.sh shares under the tag "msk-ctl" and runs the
# session script found there, so what a run does lives in the repository, not in the image.
# Whatever happens, the guest powers off at the end: PID 1 must never return (kernel panic).
PATH=/usr/sbin:/usr/bin:/sbin:/bin
export PATH
# The initramfs has mounted /proc and /sys already; a boot without one needs them.
mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sysfs /sys
modprobe 9pnet_virtio
modprobe 9p
mkdir -p /msk
if mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288 msk-ctl /msk; then
  /bin/bash /msk/session.sh
else
  echo "msk-guest-boot: no control folder shared as msk-ctl" >/dev/console
fi
# End every process the session left behind (wineserver, Xvfb, servers) so the root file system
# can be made read-only: a provisioning boot writes the image for good.
kill -KILL -1 2>/dev/null
sleep 0.2
sync
umount -a -r -t 9p 2>/dev/null
mount -o remount,ro / 2>/dev/null
sync
echo o >/proc/sysrq-trigger
# The power-off above is asynchronous.
sleep 30
