#!/usr/bin/env bash
# Long fuzzing runs, off CI: every target (or those named after the time) at once, one worker each, at low
# priority, in the background, for $1 seconds (default 3600). Builds its own
# tree (build/fuzz-long) so that later rebuilds elsewhere leave the running
# binaries alone. A finding does not end a run; the inputs are collected in
# build/fuzz-long/artifacts. Logs: build/fuzz-long/logs/<target>.log;
# process ids: build/fuzz-long/<target>.pid (stop a run with kill <pid>).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-3600}
shift || true
build=build/fuzz-long
targets=(fuzz_getinfo fuzz_setinfo fuzz_inspect fuzz_tags)
if [ $# -gt 0 ]; then targets=("$@"); fi

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j 2 --target "${targets[@]}"
work="$build/fuzz"
rm -rf "$work/seeds"
bash fuzz/make-seeds.sh "$work/seeds"
bash fuzz/make-tag-seeds.sh "$work/seeds/fuzz_tags"
mkdir -p "$build/logs" "$build/artifacts"

for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  nohup nice -n 10 "$work/$target" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -dict=fuzz/vomtrail.dict \
    -artifact_prefix="$build/artifacts/$target-" \
    "$corpus" "$work/seeds/$target" "fuzz/regressions/$target" >"$build/logs/$target.log" 2>&1 &
  echo $! >"$build/$target.pid"
  echo "$target: pid $!, log $build/logs/$target.log"
done
