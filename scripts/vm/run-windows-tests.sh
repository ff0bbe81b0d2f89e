#!/usr/bin/env bash
# Runs the Windows tests inside a virtual machine, for a machine whose
# kernel cannot run 32-bit programs: the mingw build's CTest suite under
# Wine and, given a corpus prepared by `tests/wine/compare-builds.sh prepare`,
# the Windows half of the native-against-DLL comparison.
#
#   scripts/vm/run-windows-tests.sh BUILD_MINGW [COMPARE_WORK]
#
# The guest comes from scripts/vm/build-guest.sh (cached). qemu uses KVM
# where /dev/kvm answers, and otherwise emulates the processor in software,
# slow to start but done in minutes. Exit status: 0 when every test passed;
# 3 when no guest can be made at all (no qemu-system, or no route to the
# package mirror to build one), which the caller may take as a reason to
# skip; 1 for everything else: a test failed, the guest did not finish, or
# building the guest failed for another reason (a script fault, a full disk).
#   VT_VM_TIMEOUT  seconds before the guest is stopped (default 2400)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
mingw="$(cd "$1" && pwd)"
compare_work="${2:-}"
log() { echo "vm: $*"; }

for tool in qemu-system-x86_64 mkfs.ext4; do
  command -v "$tool" >/dev/null || { log "no guest can be started: $tool is missing"; exit 3; }
done
# The guest's folder is the last line build-guest.sh prints on stdout.
build_status=0
guest="$(bash "$root/scripts/vm/build-guest.sh" | tail -n1)" || build_status=$?
if [ "$build_status" = 3 ]; then
  log "no guest can be built: the package mirror cannot be reached"
  exit 3
fi
if [ "$build_status" != 0 ] || [ ! -f "$guest/ready" ]; then
  log "building the guest failed (status $build_status)"
  exit 1
fi

# KVM where the machine offers it and a guest really runs on it (a guest
# start then takes seconds, not a minute): some machines have a /dev/kvm
# on which qemu starts and the guest never prints a line, so the probe
# boots the guest's kernel and waits for its first words. Software
# emulation otherwise, with a plain 64-bit model and the extensions Wine's
# code expects: with "max" the guest kernel oopses on Wine's 32-bit code.
accel=(-accel tcg,thread=multi -cpu qemu64,+ssse3,+sse4.1,+sse4.2,+popcnt)
# With no root disk the kernel panics at once and, with -no-reboot, qemu ends.
if [ -w /dev/kvm ]; then
  probe=$(mktemp)
  timeout 30 qemu-system-x86_64 -display none -no-reboot -nodefaults -serial stdio -monitor none \
    -accel kvm -cpu host -m 512 -kernel "$guest/vmlinuz" -append "console=ttyS0 panic=-1 root=/dev/null" \
    </dev/null >"$probe" 2>/dev/null || true
  if grep -q 'Linux version' "$probe"; then accel=(-accel kvm -cpu host); fi
  rm -f "$probe"
fi
log "accelerator: ${accel[*]}"

# The job disk: the clone without its other builds, the mingw build, the
# prepared corpus, and what the guest is to run.
job="$root/build/vm-job"
rm -rf "$job"
mkdir -p "$job/stage/build" "$job/results"
stage="$job/stage"
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$stage" -xf -
cp -a "$mingw" "$stage/build/mingw"
if [ -n "$compare_work" ]; then
  mkdir -p "$stage/build/vm-compare"
  cp -a "$compare_work/corpus" "$stage/build/vm-compare/"
fi
mkdir -p "$stage/.vt-job"
printf 'VT_SOURCE=%q\n' "$root" >"$stage/.vt-job/job.env"
cp "$root/scripts/vm/guest-job.sh" "$stage/.vt-job/run.sh"
size_mb=$(( $(du -sm "$stage" | cut -f1) * 2 + 512 ))
mkfs.ext4 -q -F -L vtjob -d "$stage" "$job/job.img" "${size_mb}M"
rm -rf "$stage"
truncate -s 1G "$job/results.img"

log "starting the guest (output follows)"
started=$SECONDS
set +e
timeout "${VT_VM_TIMEOUT:-2400}" qemu-system-x86_64 \
  -display none -no-reboot -nodefaults -serial stdio -monitor none \
  "${accel[@]}" -smp 2 -m 3072 \
  -kernel "$guest/vmlinuz" -initrd "$guest/initrd.img" \
  -append "root=/dev/vda rw console=ttyS0 init=/vt-guest-init panic=1 quiet loglevel=3" \
  -drive "file=$guest/root.img,format=raw,if=virtio,snapshot=on" \
  -drive "file=$job/job.img,format=raw,if=virtio" \
  -drive "file=$job/results.img,format=raw,if=virtio" \
  -nic none </dev/null
qemu_status=$?
set -e
log "guest stopped after $((SECONDS - started)) s (qemu status $qemu_status)"

if ! tar -xf "$job/results.img" -C "$job/results" 2>/dev/null || [ ! -f "$job/results/status" ]; then
  log "the guest left no results (timed out or failed to boot)"
  exit 1
fi
if [ -n "$compare_work" ]; then
  cp "$job/results"/windows-*.dump "$compare_work/" 2>/dev/null || true
fi
rm -f "$job/job.img" "$job/results.img"
status="$(cat "$job/results/status")"
[ "$status" = 0 ] && exit 0
exit 1
