#!/usr/bin/env bash
# Uses the native build as a new user would: installs it into a temporary
# prefix, builds a small C host against that prefix through pkg-config and
# through find_package(Vomtrail), runs both on a sample and on a missing
# file, checks the SONAME, and installs the Python package into a temporary
# virtual environment (offline) and runs its tests there.
# Usage: scripts/check-install.sh [BUILD-DIR]   (default build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build/native}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --build "$build" --target vomtrail vomtrail_host >/dev/null
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in lib/libvomtrail.so.1.6.1 lib/libvomtrail.so.1 lib/libvomtrail.so bin/vomtrail \
  include/vomtrail/Vomtrail.h include/vomtrail/TagInfo.h share/man/man1/vomtrail.1 \
  lib/pkgconfig/vomtrail.pc lib/cmake/Vomtrail/VomtrailConfig.cmake lib/cmake/Vomtrail/VomtrailConfigVersion.cmake; do
  [ -e "$prefix/$file" ] || { echo "FAIL: not installed: $file"; exit 1; }
done
if [ -e "$prefix/lib/libvomtrail_core.a" ]; then echo "FAIL: the static core library was installed"; exit 1; fi

soname=$(readelf -d "$prefix/lib/libvomtrail.so.1.6.1" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libvomtrail.so.1 ] || { echo "FAIL: SONAME is '$soname'"; exit 1; }
echo "ok SONAME $soname"
[ "$("$prefix/bin/vomtrail" version)" = 1.6.1 ] || { echo "FAIL: installed vomtrail does not run"; exit 1; }

# Runs one consumer on a sample (read, exit 0) and on a missing file (exit
# 1 with the module's code 2: not a crash, which would be 134 or more).
check_consumer() {
  local how=$1 program=$2 out status
  out=$("$program" "$source_dir/samples/tone-vbr.mp3")
  grep -qx 'version 1.6.1' <<<"$out" && grep -q '^kind 0 layer 3 .* title Sample tone$' <<<"$out" ||
    { echo "FAIL ($how) on the sample: $out"; exit 1; }
  status=0
  out=$("$program" "$work/no-such-file.mp3") || status=$?
  [ "$status" = 1 ] && grep -qx 'error 2' <<<"$out" ||
    { echo "FAIL ($how) on a missing file: status $status, $out"; exit 1; }
  echo "ok $how consumer"
}

export PKG_CONFIG_PATH=$prefix/lib/pkgconfig
# shellcheck disable=SC2046  # pkg-config's words are meant to split
cc -std=c11 -Wall -Wextra -Werror -o "$work/consumer-pkgconfig" tests/install/consumer/consumer.c \
  $(pkg-config --cflags --libs vomtrail)
LD_LIBRARY_PATH=$prefix/lib check_consumer pkg-config "$work/consumer-pkgconfig"

cmake -S tests/install/consumer -B "$work/consumer-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer-build" >/dev/null
check_consumer find_package "$work/consumer-build/consumer"

# Debian's interpreter (python3 on PATH may be another one); pip works from
# a copy so the source tree gets no build folders, and never from an index.
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
cp -r python "$work/python-src"
"$work/venv/bin/python" -m pip install --quiet --no-index --no-build-isolation "$work/python-src" >/dev/null
cd "$work"
installed=$("$work/venv/bin/python" -c 'import vomtrail; print(vomtrail.__file__)')
case $installed in "$work/venv/"*) ;; *) echo "FAIL: imported vomtrail from $installed"; exit 1 ;; esac
VOMTRAIL_LIBRARY=$prefix/lib/libvomtrail.so.1 VOMTRAIL_SAMPLES=$source_dir/samples \
  "$work/venv/bin/python" -m unittest discover -s "$source_dir/python/tests"
# The library found the way an installed one is found, without naming it.
LD_LIBRARY_PATH=$prefix/lib "$work/venv/bin/python" -c \
  'import vomtrail, sys; sys.exit(vomtrail.version() != "1.6.1")' || { echo "FAIL: library not found by name"; exit 1; }
echo "ok Python package in a virtual environment"
