#!/usr/bin/env bash
# Builds the virtual machine in which the Windows tests run on a machine
# whose kernel cannot run 32-bit programs (and so cannot run Wine): a
# minimal Debian 12 from the same package mirror as this machine, with Wine
# and what the tests need, on an ext4 disk image made without loop devices
# or mounts (mkfs.ext4 -d). The kernel and initrd are taken from the
# guest's own /boot.
#
#   scripts/vm/build-guest.sh            prints the guest folder on stdout
#
# The guest is kept in a cache folder outside the clone, keyed by what went
# into it (this script, the guest's init script and package list), so a
# second run on the same machine finds it and builds nothing.
#   VT_VM_CACHE  cache folder (default ~/.cache/vomtrail-vm)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
export DEBIAN_FRONTEND=noninteractive

key="$(cat "$here/build-guest.sh" "$here/guest-init.sh" "$here/packages.txt" | sha256sum | cut -c1-16)"
cache="${VT_VM_CACHE:-$HOME/.cache/vomtrail-vm}"
guest="$cache/guest-$key"
if [ -f "$guest/ready" ]; then
  echo "$guest"
  exit 0
fi

log() { echo "vm: $*" >&2; }

# The guest comes from the mirror this machine's own packages come from.
mirror="$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | grep -v security | head -n1 || true)"
if [ -z "$mirror" ]; then
  mirror="$(awk '$1 == "deb" && $2 !~ /security/ { print $2; exit }' /etc/apt/sources.list 2>/dev/null || true)"
fi
mirror="${mirror:-http://deb.debian.org/debian}"

for tool in debootstrap mkfs.ext4 qemu-system-x86_64; do
  command -v "$tool" >/dev/null || { log "missing $tool"; exit 1; }
done
# Exit status 3 means "no route to the mirror": the one reason the caller
# may take for skipping the Windows tests. Every other failure is 1.
if ! python3 -c 'import sys, urllib.request; urllib.request.urlopen(sys.argv[1] + "/dists/bookworm/Release", timeout=30)' \
  "$mirror" 2>/dev/null; then
  log "the package mirror $mirror cannot be reached"
  exit 3
fi

mkdir -p "$cache"
# Earlier guests (other keys) are of no further use; they take gigabytes.
find "$cache" -maxdepth 1 -name 'guest-*' ! -name "guest-$key" -exec rm -rf {} +
work="$guest.partial"
# debootstrap mounts /proc and /sys inside the guest's tree while it runs; an
# earlier run stopped half-way may have left them there.
unmount_below() {
  grep -o " $1/[^ ]*" /proc/mounts 2>/dev/null | sort -r | xargs -r -n1 umount -l 2>/dev/null || true
}
unmount_below "$work"
rm -rf "$work"
trap 'unmount_below "$work"' EXIT
mkdir -p "$work"
rootfs="$work/rootfs"

started=$SECONDS
log "debootstrap Debian 12 from $mirror (a few minutes)"
# A second try for a mirror that had a bad moment.
for try in 1 2; do
  if debootstrap --variant=minbase --include=linux-image-amd64,python3 bookworm "$rootfs" "$mirror" \
    >"$work/debootstrap.log" 2>&1; then
    break
  fi
  tail -n 30 "$work/debootstrap.log" >&2
  [ "$try" = 2 ] && exit 1
  unmount_below "$rootfs"
  rm -rf "$rootfs"
  sleep 30
done

# The host's apt settings (date checks of a snapshot mirror, proxies) hold
# for the guest's installs too.
cp /etc/apt/apt.conf.d/* "$rootfs/etc/apt/apt.conf.d/" 2>/dev/null || true
mapfile -t packages < <(grep -v '^#' "$here/packages.txt" | grep -v '^$')
log "installing ${packages[*]} into the guest"
{
  chroot "$rootfs" dpkg --add-architecture i386
  chroot "$rootfs" apt-get update -qq
  chroot "$rootfs" apt-get install -y -qq --no-install-recommends "${packages[@]}"
  chroot "$rootfs" apt-get clean
} >"$work/install.log" 2>&1 || { tail -n 30 "$work/install.log" >&2; exit 1; }

install -m 755 "$here/guest-init.sh" "$rootfs/vt-guest-init"
echo vomtrail-guest >"$rootfs/etc/hostname"
cp "$(ls "$rootfs"/boot/vmlinuz-* | sort | tail -n1)" "$work/vmlinuz"
cp "$(ls "$rootfs"/boot/initrd.img-* | sort | tail -n1)" "$work/initrd.img"
rm -rf "$rootfs/boot"/* "$rootfs/usr/share/doc" "$rootfs/usr/share/man" "$rootfs/var/cache/apt"/*.bin

# Room for the Wine prefix and the tests' scratch files beside the system.
size_mb=$(( $(du -sm "$rootfs" | cut -f1) + 1536 ))
# mkfs says "Creating regular file" on stdout, which carries only the result.
mkfs.ext4 -q -F -L vtguest -d "$rootfs" "$work/root.img" "${size_mb}M" >&2
rm -rf "$rootfs"
date -u +%FT%TZ >"$work/ready"
mv "$work" "$guest"
log "guest built in $((SECONDS - started)) s: $guest"
echo "$guest"
