#!/usr/bin/env bash
# What building Vomtrail.dll and running it under Wine needs: MinGW-w64 for
# the build; on a machine that can run 32-bit programs, Wine with its 32-bit
# half (wine32:i386, from the i386 architecture).
#
# Exit status: 0 when Wine can run the DLL here; 3 when the DLL can be built
# but not run here, with the reason on the last line of stdout (the Windows
# tests then go to the virtual machine, whose guest brings its own packages).
# Any other status: not even the build's packages could be installed.
set -euo pipefail
here="$(dirname "$0")"
source "$here/../lib/apt.sh"
source "$here/../lib/can-run-32bit.sh"
vt_apt_install g++-mingw-w64-i686 binutils-mingw-w64-i686 python3

if ! vt_can_run_32bit; then
  echo "$(vt_no_32bit_reason)"
  exit 3
fi
if [ -z "$(vt_apt_missing wine wine32:i386)" ]; then exit 0; fi

added_i386=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $VT_SUDO dpkg --add-architecture i386
  added_i386=1
  VT_APT_UPDATED=""  # the new architecture's lists
fi
log=$(mktemp)
if vt_apt_install wine wine32:i386 >"$log" 2>&1; then
  rm -f "$log"
  exit 0
fi
grep -E '^(E|W):|install:' "$log" | tail -n 4 >&2
rm -f "$log"

# Typically the mirror's i386 lists are older or newer than the amd64 ones
# the machine already installed from, and the two halves of Wine cannot
# match ("held broken packages").
if [ -n "$added_i386" ] && [ -z "$(dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -x i386)" ]; then
  # Nothing of i386 came in: take the architecture back so that later
  # updates do not fail on its lists.
  $VT_SUDO dpkg --remove-architecture i386 || true
fi
echo "wine32:i386 could not be installed from this machine's package lists"
exit 3
