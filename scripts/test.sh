#!/usr/bin/env bash
# The test command, and all CI runs: installs what the project needs, builds
# it three ways and runs every test: the native Linux build, the sanitizer
# build, and Vomtrail.dll under Wine; then the fuzz targets for a bounded
# time. Exits non-zero on any failure, and on any test that was skipped.
#
# Wine runs the DLL as a 32-bit Linux program. Where the kernel cannot run
# those, or Wine's 32-bit half cannot be installed from the package lists at
# hand, the Windows tests run inside a virtual machine instead (scripts/vm/).
# They are skipped only when no virtual machine can be made at all: no
# qemu-system and no route to the package mirror. Any other failure to build
# or start the guest fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install/tests.sh

jobs=$(nproc)
summary=()
note() { summary+=("$*"); }
logs=build/test-logs
mkdir -p "$logs"

# Runs a CTest preset, then names the tests CTest skipped (it counts them as
# passed): a skipped test is a test that could not fail, which fails the run.
run_ctest() {
  local preset=$1 log=$logs/ctest-$1.log
  shift
  ctest --preset "$preset" -j "$jobs" "$@" 2>&1 | tee "$log"
  local total skipped
  total=$(sed -n 's/.*tests passed, [0-9]* tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n1)
  skipped=$(grep -c '(Skipped)$' "$log" || true)
  if [ "$skipped" != 0 ]; then
    grep '(Skipped)$' "$log" >&2
    echo "FAIL: $preset: $skipped of ${total:-?} tests were skipped" >&2
    exit 1
  fi
  note "$preset: ${total:-?} tests passed, none skipped"
}

for preset in native sanitize; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  run_ctest "$preset"
done

echo "== installed native tree: C hosts via pkg-config and CMake, the Python package"
bash scripts/check-install.sh build/native
note "installed tree: SONAME, pkg-config and CMake consumers, Python package checked"

echo "== mingw"
wine_status=0
wine_words=$(bash scripts/install/windows-tests.sh) || wine_status=$?
case $wine_status in 0 | 3) ;; *) echo "FAIL: the MinGW-w64 packages could not be installed" >&2; exit 1 ;; esac
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$jobs"

if [ "$wine_status" = 0 ]; then
  echo "== mingw: the tests under Wine on this machine"
  source scripts/lib/wine-env.sh
  run_ctest mingw
  echo "== native and Windows builds agree"
  bash tests/wine/compare-builds.sh build/native build/mingw
  note "Windows tests ran under Wine on this machine; the DLL and the Linux library agree"
else
  reason=$(tail -n1 <<<"$wine_words")
  echo "== mingw: $reason; the Windows tests run in a virtual machine"
  # The checks of the DLL's image need no Wine; they run here in any case.
  run_ctest mingw -R '^dll_pe_image'
  compare_work=build/vm-compare
  rm -rf "$compare_work"
  bash tests/wine/compare-builds.sh prepare "$compare_work" build/native
  vm_status=0
  bash scripts/install/vm.sh || vm_status=$?
  if [ "$vm_status" = 0 ]; then
    bash scripts/vm/run-windows-tests.sh build/mingw "$compare_work" || vm_status=$?
  elif command -v qemu-system-x86_64 >/dev/null; then
    echo "FAIL: the virtual machine's tools could not be installed, though qemu is here" >&2
    exit 1
  else
    vm_status=3
  fi
  case $vm_status in
    0)
      echo "== native and Windows builds agree"
      bash tests/wine/compare-builds.sh compare "$compare_work"
      note "Windows tests ran under Wine in a virtual machine ($reason); the DLL and the Linux library agree"
      ;;
    3)
      skipped="SKIPPED: Windows tests under Wine: $reason, and no qemu-system could be installed (no route to the package mirror); Vomtrail.dll was built and its image checked, not run"
      echo "$skipped"
      note "$skipped"
      ;;
    *)
      echo "FAIL: the Windows tests in the virtual machine (log above; files in build/vm-job/results)" >&2
      exit 1
      ;;
  esac
fi

echo "== fuzz"
bash fuzz/ci.sh
note "fuzz targets: regressions replayed, no new failure"

echo "== summary"
printf '%s\n' "${summary[@]}"
