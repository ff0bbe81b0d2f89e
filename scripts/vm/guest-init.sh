#!/bin/bash
# The first and only process of the Windows-test guest (the kernel starts it
# as init). It mounts the job disk that the host made (the clone with its
# mingw build, at the same absolute path as on the host, so the build's
# CTest files hold), runs the job's script, and brings the results back on a
# raw disk as a tar archive: a raw disk survives the power-off intact, where
# files left on an ext4 disk of a guest that stops this way need not.
#
# Disks: vda the guest's own system (written to a throw-away overlay),
#        vdb the job (an ext4 image with .vt-job/job.env and .vt-job/run.sh),
#        vdc the results (raw; a tar archive is written from offset 0).
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
export HOME=/root LANG=C.UTF-8 TERM=dumb
cd /

mountpoint -q /proc || mount -t proc proc /proc
mountpoint -q /sys || mount -t sysfs sysfs /sys
mountpoint -q /dev || mount -t devtmpfs devtmpfs /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
echo 1 >/proc/sys/kernel/sysrq
hostname vomtrail-guest
ip link set lo up 2>/dev/null || true

results=/run/vt-results
mkdir -p "$results" /vt-job
status=1
if mount -t ext4 /dev/vdb /vt-job && [ -f /vt-job/.vt-job/job.env ]; then
  # job.env gives VT_SOURCE, the host's absolute path of the clone.
  source /vt-job/.vt-job/job.env
  mkdir -p "$VT_SOURCE"
  mount --bind /vt-job "$VT_SOURCE"
  cd "$VT_SOURCE"
  echo "guest: running the job in $VT_SOURCE"
  VT_RESULTS="$results" bash .vt-job/run.sh 2>&1 | tee "$results/job.log"
  status=${PIPESTATUS[0]}
  cd /
else
  echo "guest: no job disk" | tee "$results/job.log"
fi
echo "$status" >"$results/status"
echo "guest: job ended with status $status"

tar -cf /dev/vdc -C "$results" . && sync
umount "$VT_SOURCE" /vt-job 2>/dev/null
sync
echo o >/proc/sysrq-trigger
sleep 60
