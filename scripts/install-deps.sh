#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the fuzzers and the benchmarks need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail
export DEBIAN_FRONTEND=noninteractive

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi

# wine32 lives in the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  build-essential cmake ninja-build pkg-config git file \
  googletest libgtest-dev libgmock-dev \
  clang libclang-rt-14-dev clang-format \
  g++-mingw-w64-i686 binutils-mingw-w64-i686 \
  wine wine32:i386 \
  lame ffmpeg sox python3 python3-mutagen libtag1-dev \
  libcli11-dev nlohmann-json3-dev \
  strace valgrind \
  python3-venv python3-pip python3-setuptools \
  eyed3 >/dev/null
