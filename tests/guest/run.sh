#!/usr/bin/env bash
# Boots the test guest, runs one command inside it and powers it off; prints what the command
# printed and exits with its exit status.
#   tests/guest/run.sh [options] -- COMMAND [ARGS...]
#     --share PATH      share a host folder read-write, at the same path inside the guest
#     --share-ro PATH   the same, read-only
#   The guest caches shared folders: change nothing in them from the host during a run.
#     --env NAME=VALUE  set a variable for the command
#     --cwd PATH        where the command starts (default: the current folder if it is shared, else /)
#     --timeout SECONDS power the guest off after this long, whatever it is doing (default 900)
#     --image DIR       the image to boot (default: tests/guest/build-image.sh's, built if missing)
#     --writable        keep the guest's changes to its disk (only for building the image)
# The guest has no network device (loopback only). Exit status 124: the time limit struck;
# 125: the guest ended without reporting a status (its console log is printed).
# One guest at a time on this machine: a second run waits for the first.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${MSK_CACHE_DIR:-/var/cache/marlowsetupkit}

shares=()
envs=()
cwd=
timeout=900
image=
writable=0
while [ $# -gt 0 ]; do
  case $1 in
    --share) shares+=("$(cd "$2" && pwd) rw"); shift 2 ;;
    --share-ro) shares+=("$(cd "$2" && pwd) ro"); shift 2 ;;
    --env) envs+=("$2"); shift 2 ;;
    --cwd) cwd=$2; shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    --image) image=$2; shift 2 ;;
    --writable) writable=1; shift ;;
    --) shift; break ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: tests/guest/run.sh [options] -- COMMAND [ARGS...]" >&2; exit 2; }
[ -n "$image" ] || image=$("$here/build-image.sh")
for s in "${shares[@]}"; do
  case $s in *[[:space:]]*[[:space:]]*) echo "run.sh: cannot share a path with blanks: ${s% *}" >&2; exit 2 ;; esac
done
for f in disk.img vmlinuz initrd.img; do
  [ -f "$image/$f" ] || { echo "run.sh: $image/$f is missing" >&2; exit 2; }
done

run_dir=$(mktemp -d /tmp/msk-guest-run.XXXXXX)
ctl=$run_dir/ctl
mkdir "$ctl"
qemu_pid=
tail_pid=
cleanup() {
  local status=$?
  # Never leave the emulator running, whatever ended this script.
  local pids=$qemu_pid
  [ -s "$run_dir/qemu.pid" ] && pids+=" $(cat "$run_dir/qemu.pid")"
  if [ -n "$qemu_pid" ]; then
    kill -TERM $pids 2>/dev/null || true
    for _ in $(seq 50); do kill -0 $pids 2>/dev/null || break; sleep 0.1; done
    kill -KILL $pids 2>/dev/null || true
  fi
  [ -z "$tail_pid" ] || kill "$tail_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$run_dir"
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The command, its environment and its folder, quoted for the guest's bash.
[ -n "$cwd" ] || for s in "${shares[@]}"; do
  path=${s% *}
  case $PWD/ in "$path"/*) cwd=$PWD ;; esac
done
{
  echo "cd $(printf '%q' "${cwd:-/}") || exit 125"
  for e in "${envs[@]}"; do echo "export $(printf '%q' "$e")"; done
  printf 'exec'
  printf ' %q' "$@"
  echo
} >"$ctl/command"
cp "$here/session.sh" "$ctl/session.sh"
: >"$ctl/output"

# Every host folder becomes one 9p device; parents are mounted before what lies inside them.
virtfs=(-virtfs "local,path=$ctl,mount_tag=msk-ctl,security_model=none,id=msk-ctl")
n=0
while read -r path mode; do
  [ -n "$path" ] || continue
  opts="local,path=$path,mount_tag=msk-s$n,security_model=none,multidevs=remap,id=msk-s$n"
  [ "$mode" = ro ] && opts+=",readonly=on"
  virtfs+=(-virtfs "$opts")
  echo "msk-s$n $path $mode" >>"$ctl/mounts"
  n=$((n + 1))
done < <(printf '%s\n' "${shares[@]}" | LC_ALL=C sort -u)
touch "$ctl/mounts"

snapshot=on
[ "$writable" = 1 ] && snapshot=off
# -cpu max,-smap: with SMAP on, every wine32 process crashes the guest kernel (an oops on a
# user-mode IRET). mitigations=off: page-table isolation is expensive under emulation and the
# guest runs nothing untrusted.
qemu=(qemu-system-x86_64
  -accel tcg,thread=multi -cpu max,-smap -smp 2 -m 4G
  -nodefaults -no-user-config -display none -no-reboot -nic none
  -kernel "$image/vmlinuz" -initrd "$image/initrd.img"
  -append "root=/dev/vda rw rootfstype=ext4 console=ttyS0 init=/sbin/msk-guest-boot panic=1 mitigations=off quiet"
  -drive "file=$image/disk.img,format=raw,if=virtio,snapshot=$snapshot"
  -serial "file:$run_dir/console.log" -pidfile "$run_dir/qemu.pid"
  "${virtfs[@]}")

mkdir -p "$cache"
exec 8>>"$cache/guest-run.lock"
if ! flock -n 8; then
  echo "run.sh: waiting for another guest run to end" >&2
  flock 8
fi

started=$(date +%s.%N)
timeout --kill-after=10 "$timeout" "${qemu[@]}" &
qemu_pid=$!
tail -n +1 -s 0.5 -f --pid="$qemu_pid" "$ctl/output" &
tail_pid=$!
set +e
wait "$qemu_pid"
qemu_status=$?
set -e
qemu_pid=
wait "$tail_pid" 2>/dev/null || true
tail_pid=
ended=$(date +%s.%N)

# The times the host's clock stamped on the guest's files: boot, command, power-off.
times=$(python3 - "$started" "$ended" "$ctl" <<'EOF'
import os, sys
start, end, ctl = float(sys.argv[1]), float(sys.argv[2]), sys.argv[3]
def stamp(name):
    try:
        return os.stat(os.path.join(ctl, name)).st_mtime
    except OSError:
        return None
began, done = stamp("started"), stamp("status")
if began is None:
    print(f"{end - start:.1f} s, the command never started")
elif done is None:
    print(f"boot {began - start:.1f} s, command ran {end - began:.1f} s without finishing")
else:
    print(f"boot {began - start:.1f} s, command {done - began:.1f} s, power-off {end - done:.1f} s")
EOF
)
echo "run.sh: guest $times" >&2

if [ -s "$ctl/status" ]; then
  exit "$(cat "$ctl/status")"
fi
if [ "$qemu_status" = 124 ] || [ "$qemu_status" = 137 ]; then
  echo "run.sh: the guest was stopped after the time limit of $timeout s" >&2
  result=124
else
  echo "run.sh: the guest ended (qemu exit $qemu_status) without reporting an exit status" >&2
  result=125
fi
echo "run.sh: last lines of the guest console:" >&2
tail -n 40 "$run_dir/console.log" >&2 || true
exit $result
