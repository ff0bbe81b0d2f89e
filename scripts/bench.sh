#!/usr/bin/env bash
# Runs every benchmark and writes bench/RESULTS.md and bench/getinfo_rate.png.
# Builds in its own folders (build/bench-native, build/bench-mingw) and makes
# its corpus under build/bench-corpus; nothing there is committed.
#
#   bash scripts/bench.sh            all figures, 5 runs each (median)
#   BENCH_RUNS=3 bash scripts/bench.sh
#   BENCH_SKIP_DEPS=1 ...            skip the package installs
#   BENCH_SKIP_WINE=1 ...            skip the Windows DLL under Wine
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${BENCH_SKIP_DEPS:-0}" != 1 ]; then
  bash scripts/install/bench.sh
fi

native=build/bench-native
cmake --preset native -B "$native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native" -j2 --target getinfo_calls module_reader floor_reader setinfo_run vomtrail inspect_rate frame_scan
if cmake --build "$native" -j2 --target taglib_reader taglib_save >/dev/null 2>&1; then :; fi

# Wine runs the DLL as a 32-bit program; where the kernel cannot run those,
# the Wine rows say so (timings from a virtual machine under software
# emulation would measure the emulator, not the module).
source scripts/lib/can-run-32bit.sh
mingw_args=()
if [ "${BENCH_SKIP_WINE:-0}" = 1 ]; then
  mingw_args=(--wine-not-measured "BENCH_SKIP_WINE=1 was given")
elif ! vt_can_run_32bit; then
  mingw_args=(--wine-not-measured "$(vt_no_32bit_reason)")
  echo "Wine rows not measured: $(vt_no_32bit_reason)"
else
  # The tests' install gave Wine where this machine can run it.
  bash scripts/install/windows-tests.sh >/dev/null || true
  # shellcheck source=lib/wine-env.sh
  source scripts/lib/wine-env.sh
  mingw=build/bench-mingw
  cmake --preset mingw -B "$mingw" >/dev/null
  cmake --build "$mingw" -j2 --target Vomtrail wine_reader
  mingw_args=(--mingw "$mingw")
fi

corpus=build/bench-corpus
/usr/bin/python3 bench/make_corpus.py "$corpus" "$native/bench/setinfo_run"

plot_data="$native/getinfo_rate.dat"
/usr/bin/python3 bench/run_benchmarks.py --native "$native" --corpus "$corpus" "${mingw_args[@]}" \
  --runs "${BENCH_RUNS:-5}" --plot-data "$plot_data" --results bench/RESULTS.md
# --- SetInfo per mode, sparse files, long-head GetInfo (begin) ---
# Writes the edit figures (in place against moving, TagLib's save, a 1.9 GB
# sparse file, files with a long head before the frame or data chunk) as
# their own sections of RESULTS.md.
/usr/bin/python3 bench/run_edit_benchmarks.py --native "$native" --corpus "$corpus" \
  --runs "${BENCH_RUNS:-5}" --append bench/RESULTS.md
# --- SetInfo per mode, sparse files, long-head GetInfo (end) ---
# The inspection: info per file beside GetInfo, and counting frames.
/usr/bin/python3 bench/run_inspect_benchmarks.py --native "$native" --corpus "$corpus" \
  --runs "${BENCH_RUNS:-5}" --append bench/RESULTS.md
# --- Scans of whole collections (begin) ---
# vomtrail info --json on 1 and on its default threads beside exiftool,
# mediainfo, mutagen and ffprobe, over 10,000 and 100,000 small files, warm
# and cold (about 2 GB of files under build/bench-collection; 20 minutes).
# BENCH_COLLECTION_COUNTS=10000 runs the smaller folder alone.
cmake --build "$native" -j2 --target vomtrail_host >/dev/null
collection_data="$native/collection_scan.dat"
/usr/bin/python3 bench/run_collection_benchmarks.py --native "$native" --out build/bench-collection \
  --counts "${BENCH_COLLECTION_COUNTS:-10000,100000}" --runs "${BENCH_RUNS:-5}" --slow-runs 1 \
  --append bench/RESULTS.md --plot-data "$collection_data"
gnuplot -e "data='$collection_data'; out='bench/collection_scan.png'" bench/collection_scan.gp
# --- Scans of whole collections (end) ---
cat bench/FINDINGS.md >> bench/RESULTS.md
gnuplot -e "data='$plot_data'; out='bench/getinfo_rate.png'" bench/getinfo_rate.gp
echo "Figures written to bench/RESULTS.md and bench/getinfo_rate.png"
