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
build=$(cd "${1:-build/native}" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

# The version the build gave the module, from the project() line alone.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "FAIL: no project version in $build/CMakeCache.txt"; exit 1; }

cmake --build "$build" --target vomtrail vomtrail_host vomtrail_inspect_shared vt_wrong_version >/dev/null
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in "lib/libvomtrail.so.$version" lib/libvomtrail.so.1 lib/libvomtrail.so bin/vomtrail \
  include/vomtrail/Vomtrail.h include/vomtrail/TagInfo.h include/vomtrail/InfoIds.h share/man/man1/vomtrail.1 \
  lib/pkgconfig/vomtrail.pc lib/cmake/Vomtrail/VomtrailConfig.cmake lib/cmake/Vomtrail/VomtrailConfigVersion.cmake \
  "lib/libvomtrail-inspect.so.$version" lib/libvomtrail-inspect.so.1 include/vomtrail/VomtrailInspect.h \
  lib/pkgconfig/vomtrail-inspect.pc; do
  [ -e "$prefix/$file" ] || { echo "FAIL: not installed: $file"; exit 1; }
done
if [ -e "$prefix/lib/libvomtrail_core.a" ]; then echo "FAIL: the static core library was installed"; exit 1; fi

soname=$(readelf -d "$prefix/lib/libvomtrail.so.$version" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libvomtrail.so.1 ] || { echo "FAIL: SONAME is '$soname'"; exit 1; }
echo "ok SONAME $soname"
grep -q "^\.TH VOMTRAIL 1 .*Vomtrail $version" "$prefix/share/man/man1/vomtrail.1" ||
  { echo "FAIL: the man page does not name version $version"; exit 1; }
[ "$("$prefix/bin/vomtrail" version)" = "$version" ] || { echo "FAIL: installed vomtrail does not run"; exit 1; }

# Runs one consumer on a sample (read, exit 0) and on a missing file (exit
# 1 with the module's code 2: not a crash, which would be 134 or more).
check_consumer() {
  local how=$1 program=$2 out status
  out=$("$program" "$source_dir/samples/tone-vbr.mp3")
  grep -qx "version $version" <<<"$out" && grep -q '^kind 0 layer 3 .* title Sample tone$' <<<"$out" ||
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

# The inspection's report from C, through pkg-config (vomtrail-inspect
# requires vomtrail).
# shellcheck disable=SC2046
cc -std=c11 -Wall -Wextra -Werror -o "$work/inspect-pkgconfig" tests/install/InspectFromC.c \
  $(pkg-config --cflags --libs vomtrail-inspect)
mkdir "$work/inspect-scratch"
[ "$(LD_LIBRARY_PATH=$prefix/lib "$work/inspect-pkgconfig" "$source_dir/samples/tone-vbr.mp3" "$work/inspect-scratch")" = ok ] ||
  { echo "FAIL: the inspection's report from C"; exit 1; }
echo "ok inspect consumer"

cmake -S tests/install/consumer -B "$work/consumer-build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/consumer-build" >/dev/null
check_consumer find_package "$work/consumer-build/consumer"

# Debian's interpreter (python3 on PATH may be another one); pip works from
# a copy of the package the build staged (with its version file), so the
# build tree gets no pip folders, and never from an index.
/usr/bin/python3 -m venv --system-site-packages "$work/venv"
cp -r "$build/python/package" "$work/python-src"
"$work/venv/bin/python" -m pip install --quiet --no-index --no-build-isolation "$work/python-src" >/dev/null
cd "$work"
installed=$("$work/venv/bin/python" -c 'import vomtrail; print(vomtrail.__file__)')
case $installed in "$work/venv/"*) ;; *) echo "FAIL: imported vomtrail from $installed"; exit 1 ;; esac
VOMTRAIL_LIBRARY=$prefix/lib/libvomtrail.so.1 VOMTRAIL_SAMPLES=$source_dir/samples VOMTRAIL_VERSION=$version \
  VOMTRAIL_WRONG_VERSION_LIBRARY=$build/python/libvt_wrong_version.so \
  VOMTRAIL_INFO_IDS_HEADER=$prefix/include/vomtrail/InfoIds.h \
  "$work/venv/bin/python" -m unittest discover -s "$source_dir/python/tests"
# The library found the way an installed one is found, without naming it.
LD_LIBRARY_PATH=$prefix/lib "$work/venv/bin/python" -c \
  'import vomtrail, sys; sys.exit(vomtrail.version() != vomtrail.__version__)' || { echo "FAIL: library not found by name"; exit 1; }
echo "ok Python package in a virtual environment"
