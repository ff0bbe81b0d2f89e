#!/usr/bin/env bash
# What the benchmarks need on top of the tests' packages: gnuplot draws the
# plots, GNU time measures peak memory, perf and hyperfine help when a
# figure needs a closer look.
set -euo pipefail
here="$(dirname "$0")"
bash "$here/tests.sh"
source "$here/../lib/apt.sh"
vt_apt_install gnuplot-nox time linux-perf hyperfine
