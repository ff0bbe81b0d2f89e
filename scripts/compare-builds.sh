#!/usr/bin/env bash
# Holds the Linux library and the Windows DLL against each other: both read
# and rewrite the same corpus of files (made by tests/wine/make_corpus.py with
# lame, ffmpeg and sox) through the same record dumper, and every byte of
# every record and rewritten file must agree. Exits non-zero on any
# difference and prints the first differing offsets.
#
# Usage: scripts/compare-builds.sh BUILD_NATIVE BUILD_MINGW
#   e.g. scripts/compare-builds.sh build/native build/mingw
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_NATIVE BUILD_MINGW" >&2
  exit 2
fi
root="$(cd "$(dirname "$0")/.." && pwd)"
native="$(cd "$1" && pwd)"
mingw="$(cd "$2" && pwd)"
for needed in "$native/libvomtrail.so" "$native/tests/wine/vt_record_dump" \
              "$mingw/Vomtrail.dll" "$mingw/tests/wine/vt_record_dump.exe"; do
  [ -f "$needed" ] || { echo "missing $needed: build both presets first" >&2; exit 2; }
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$root/tests/wine/make_corpus.py" "$work/corpus"
mapfile -t files < "$work/corpus/corpus.list"

source "$root/scripts/wine-env.sh"
status=0
# Two fills: bytes the module does not write must come back as the host
# left them, whatever they were.
for fill in 0xAA 0x00; do
  echo "== fill $fill, GetInfo and SetInfo in modes 0, 1, 2 on ${#files[@]} files"
  # Run inside the corpus with relative names, so both sides see the same
  # names; the dumps are files, not pipes, which are slow under Wine.
  (cd "$work/corpus" &&
    "$native/tests/wine/vt_record_dump" "$native/libvomtrail.so" ../native.dump \
      --fill "$fill" --set 0 --set 1 --set 2 "${files[@]}" &&
    wine "$mingw/tests/wine/vt_record_dump.exe" "$mingw/Vomtrail.dll" ../windows.dump \
      --fill "$fill" --set 0 --set 1 --set 2 "${files[@]}")
  python3 "$root/tests/wine/compare_dumps.py" "$work/native.dump" "$work/windows.dump" || status=1
done
exit $status
