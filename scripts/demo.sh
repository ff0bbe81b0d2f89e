#!/usr/bin/env bash
# The README's main command: installs what building needs (the compiler,
# CMake, Ninja and the command's header-only libraries; nothing for the tests
# or the Windows build), builds the native library and the vomtrail command
# in the `library` preset (no tests, no benchmarks), shows the tags of the
# sample files with `vomtrail info`, then edits copies with `vomtrail set`
# and shows them again. The samples in samples/ stay as they are. It shows
# the Linux build only; the Windows DLL is tested by scripts/test.sh.
#
# VOMTRAIL_BUILD_DIR builds elsewhere than build/library.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install/build.sh

build="${VOMTRAIL_BUILD_DIR:-build/library}"
cmake --preset library -B "$build" >/dev/null
cmake --build "$build" --target vomtrail_host
vomtrail="$build/host/vomtrail"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

source scripts/lib/can-run-32bit.sh
if vt_can_run_32bit; then
  echo "This demo shows the Linux build of the module; scripts/test.sh runs Vomtrail.dll under Wine."
else
  echo "This demo shows the Linux build of the module only: $(vt_no_32bit_reason), so Wine cannot run" \
    "Vomtrail.dll here; scripts/test.sh runs it in a virtual machine."
fi

step "vomtrail version"
"$vomtrail" version

step "vomtrail info samples/tone-vbr.mp3 samples/tone-mp3.wav samples/tone.rmp3"
"$vomtrail" info samples/tone-vbr.mp3 samples/tone-mp3.wav samples/tone.rmp3

cp samples/tone-mp3.wav samples/tone.rmp3 "$work/"

step "vomtrail set: new ID3v1.1 tag and RIFF INFO texts on a copy of the WAVE file"
"$vomtrail" set --title "Edited by the demo" --artist "Vomtrail" --album "Demo" --year 2024 \
  --track 1 --genre Ambient --info "ICMT=Tagged in place, audio untouched" "$work/tone-mp3.wav"
"$vomtrail" info "$work/tone-mp3.wav"

step "vomtrail set --to mp3: a copy of the RMP3 file turned into a bare MP3, Japanese title in CP932"
"$vomtrail" set --to mp3 --encoding CP932 --title "日本語のタイトル" "$work/tone.rmp3"
"$vomtrail" info --encoding CP932 "$work/tone.rmp3"

step "vomtrail info --json on both copies (one object per line, for scripts)"
"$vomtrail" info --json --encoding CP932 "$work"
