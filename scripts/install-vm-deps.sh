#!/usr/bin/env bash
# Installs what scripts/vm/ needs to build and start the Windows-test guest:
# debootstrap for the guest's system, mkfs.ext4 for its disks, qemu for the
# machine itself. Only machines that cannot run 32-bit programs need these.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
if command -v debootstrap >/dev/null && command -v qemu-system-x86_64 >/dev/null && command -v mkfs.ext4 >/dev/null; then
  exit 0
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends debootstrap e2fsprogs qemu-system-x86 >/dev/null
