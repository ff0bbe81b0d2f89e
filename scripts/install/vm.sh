#!/usr/bin/env bash
# What scripts/vm/ needs to build and start the Windows-test guest:
# debootstrap for the guest's system, mkfs.ext4 for its disks, qemu for the
# machine itself. Only machines where Wine cannot run the DLL need these.
# Returns apt-get's status: the caller decides what a failure means.
set -euo pipefail
source "$(dirname "$0")/../lib/apt.sh"
vt_apt_install debootstrap e2fsprogs qemu-system-x86
