#!/usr/bin/env bash
# Installs the Debian packages the benchmarks need on top of install-deps.sh:
# gnuplot draws the plot, GNU time and perf help when a figure needs a closer
# look. Safe to run again: apt-get skips what is already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

missing=()
for pkg in gnuplot-nox time linux-perf; do
  dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
