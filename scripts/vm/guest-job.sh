#!/usr/bin/env bash
# What the Windows-test guest runs, in the clone at the host's own path: the
# mingw build's CTest suite under Wine (the tests a host with 32-bit support
# would run, less the image checks that ran on the host), then the Windows
# half of tests/wine/compare-builds.sh when the host has prepared a corpus
# for it. Its output reaches the host's log through the
# serial console; the Windows dumps and the statuses go to VT_RESULTS.
set -uo pipefail
results="${VT_RESULTS:?}"
started=$SECONDS

# A fresh prefix in the guest's throw-away overlay: wineboot takes the
# better part of a minute under emulation.
source scripts/lib/wine-env.sh
echo "guest: Wine prefix ready after $((SECONDS - started)) s"

# The checks of the DLL's image need no Wine and ran on the host already.
ctest --preset mingw -j 2 -E '^dll_pe_image'
ctest_status=$?
echo "$ctest_status" >"$results/ctest.status"
echo "guest: mingw tests ended with status $ctest_status after $((SECONDS - started)) s"

compare_status=0
if [ -f build/vm-compare/corpus/corpus.list ]; then
  bash tests/wine/compare-builds.sh windows build/vm-compare build/mingw
  compare_status=$?
  cp build/vm-compare/windows-*.dump "$results/" 2>/dev/null || compare_status=1
  echo "guest: Windows dumps ended with status $compare_status after $((SECONDS - started)) s"
fi
echo "$compare_status" >"$results/compare.status"
[ "$ctest_status" -eq 0 ] && [ "$compare_status" -eq 0 ]
