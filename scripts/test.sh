#!/usr/bin/env bash
# Installs what the project needs, builds it three ways and runs every test:
# the native Linux build, the sanitizer build, and Vomtrail.dll under Wine;
# then the fuzz targets for a bounded time. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
source scripts/wine-env.sh

jobs=$(nproc)
for preset in native sanitize mingw; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "== native and Windows builds agree"
bash scripts/compare-builds.sh build/native build/mingw

if [ -x scripts/fuzz-ci.sh ]; then
  echo "== fuzz"
  bash scripts/fuzz-ci.sh
fi
