#!/usr/bin/env bash
# Installs what the project needs, builds it three ways and runs every test:
# the native Linux build, the sanitizer build, and Vomtrail.dll under Wine;
# then the fuzz targets for a bounded time. Exits non-zero on any failure.
#
# Wine runs the DLL as a 32-bit Linux program. On a machine whose kernel
# cannot run those, the Windows tests run inside a virtual machine instead
# (scripts/vm/); only when no virtual machine can be built are they skipped,
# loudly, with the DLL still built and its image checked.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/can-run-32bit.sh

bash scripts/install-deps.sh

jobs=$(nproc)
summary=()
note() { summary+=("$*"); }

for preset in native sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
note "native and sanitizer builds: every test passed"

echo "== installed native tree: C hosts via pkg-config and CMake, the Python package"
bash scripts/check-install.sh build/native
note "installed tree: SONAME, pkg-config and CMake consumers, Python package checked"

echo "== mingw"
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

if vt_can_run_32bit; then
  echo "== mingw: the tests under Wine on this machine"
  source scripts/wine-env.sh
  ctest --preset mingw -j "$jobs"
  echo "== native and Windows builds agree"
  bash scripts/compare-builds.sh build/native build/mingw
  note "Windows tests ran under Wine on this machine; the DLL and the Linux library agree"
else
  reason="$(vt_no_32bit_reason)"
  echo "== mingw: $reason; the Windows tests run in a virtual machine"
  # The checks of the DLL's image need no Wine; they run here in any case.
  ctest --preset mingw -R '^dll_pe_image'
  compare_work=build/vm-compare
  rm -rf "$compare_work"
  bash scripts/compare-builds.sh prepare "$compare_work" build/native
  bash scripts/install-vm-deps.sh || echo "could not install the virtual machine's tools"
  vm_status=0
  bash scripts/vm/run-windows-tests.sh build/mingw "$compare_work" || vm_status=$?
  case $vm_status in
    0)
      echo "== native and Windows builds agree"
      bash scripts/compare-builds.sh compare "$compare_work"
      note "Windows tests ran under Wine in a virtual machine ($reason); the DLL and the Linux library agree"
      ;;
    3)
      skipped="SKIPPED: Windows tests under Wine: $reason and no virtual machine could be built; Vomtrail.dll was built and its image checked, not run"
      echo "$skipped"
      note "$skipped"
      ;;
    *)
      echo "FAIL: the Windows tests in the virtual machine (log above; files in build/vm-job/results)" >&2
      exit 1
      ;;
  esac
fi

if [ -x scripts/fuzz-ci.sh ]; then
  echo "== fuzz"
  bash scripts/fuzz-ci.sh
  note "fuzz targets: regressions replayed, no new failure"
fi

echo "== summary"
printf '%s\n' "${summary[@]}"
