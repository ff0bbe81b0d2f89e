#!/usr/bin/env bash
# What the native and sanitizer test builds need on top of the build's
# packages: GoogleTest, clang for the fuzzers, the encoders that make test
# files (lame, ffmpeg, sox, eyeD3, id3v2, mutagen's mid3v2), the independent
# readers that check what is written (ffprobe, mutagen, TagLib, mediainfo,
# exiftool), strace for the kill test, and Python's venv for the installed
# package's tests.
set -euo pipefail
here="$(dirname "$0")"
bash "$here/build.sh"
source "$here/../lib/apt.sh"
vt_apt_install git file googletest libgtest-dev libgmock-dev clang libclang-rt-14-dev clang-format \
  lame ffmpeg sox eyed3 id3v2 python3 python3-mutagen libtag1-dev mediainfo libimage-exiftool-perl \
  strace valgrind python3-venv python3-pip python3-setuptools
