#!/usr/bin/env bash
# The fuzzing step of CI: builds the libFuzzer targets, replays every input
# that ever failed (fuzz/regressions/<target>/), then fuzzes each target for
# a bounded time from the seed corpus and what earlier runs in this build
# directory found. Exits non-zero on any failure; the failing input is left
# in the build directory's artifacts folder with its path printed.
#   VT_FUZZ_BUILD   build directory (default build/fuzz)
#   VT_FUZZ_SECONDS fuzzing time per target (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${VT_FUZZ_BUILD:-build/fuzz}
seconds=${VT_FUZZ_SECONDS:-60}
targets=(fuzz_getinfo fuzz_setinfo fuzz_inspect fuzz_tags)

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"

work="$build/fuzz"
rm -rf "$work/seeds"
bash fuzz/make-seeds.sh "$work/seeds"
bash fuzz/make-tag-seeds.sh "$work/seeds/fuzz_tags"

for target in "${targets[@]}"; do
  bin="$work/$target"
  mapfile -t regressions < <(find "fuzz/regressions/$target" -type f ! -name .gitkeep | sort)
  echo "== $target: ${#regressions[@]} regression inputs"
  if [ "${#regressions[@]}" -gt 0 ]; then
    "$bin" -timeout=10 -rss_limit_mb=2048 "${regressions[@]}" >"$work/$target-regressions.log" 2>&1 || {
      cat "$work/$target-regressions.log"
      echo "FAIL: $target on its regression corpus" >&2
      exit 1
    }
  fi
done

for target in "${targets[@]}"; do
  echo "== $target: fuzzing ${seconds}s"
  corpus="$work/corpus/$target"
  artifacts="$work/artifacts"
  mkdir -p "$corpus" "$artifacts"
  if ! "$work/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -dict=fuzz/vomtrail.dict \
      -artifact_prefix="$artifacts/$target-" "$corpus" "$work/seeds/$target" >"$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    echo "FAIL: $target; the input is in $artifacts (add it to fuzz/regressions/$target once fixed)" >&2
    exit 1
  fi
  grep -E "^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units" "$work/$target.log" || true
done
echo "fuzz: all targets passed"
