#!/usr/bin/env bash
# Holds the Linux library and the Windows DLL against each other: both read
# and rewrite the same corpus of files (made by tests/wine/make_corpus.py with
# lame, ffmpeg and sox) through the same record dumper, and every byte of
# every record and rewritten file must agree. Exits non-zero on any
# difference and prints the first differing offsets.
#
# Usage: tests/wine/compare-builds.sh BUILD_NATIVE BUILD_MINGW
#   e.g. tests/wine/compare-builds.sh build/native build/mingw
#
# The three steps can also run apart, for a machine that runs the Windows
# half inside a virtual machine (scripts/vm/):
#   tests/wine/compare-builds.sh prepare WORK BUILD_NATIVE   corpus, Linux dumps
#   tests/wine/compare-builds.sh windows WORK BUILD_MINGW    Windows dumps (Wine)
#   tests/wine/compare-builds.sh compare WORK                the comparison
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
# Two fills: bytes the module does not write must come back as the host
# left them, whatever they were.
fills=(0xAA 0x00)

usage() {
  echo "usage: $0 BUILD_NATIVE BUILD_MINGW | prepare WORK BUILD_NATIVE | windows WORK BUILD_MINGW | compare WORK" >&2
  exit 2
}

need() {
  for needed in "$@"; do
    [ -f "$needed" ] || { echo "missing $needed: build both presets first" >&2; exit 2; }
  done
}

# Both sides run inside the corpus with relative names, so they see the same
# names; the dumps are files, not pipes, which are slow under Wine.
prepare() {
  local work="$1" native
  native="$(cd "$2" && pwd)"
  need "$native/libvomtrail.so" "$native/tests/wine/vt_record_dump"
  python3 "$root/tests/wine/make_corpus.py" "$work/corpus"
  mapfile -t files <"$work/corpus/corpus.list"
  for fill in "${fills[@]}"; do
    (cd "$work/corpus" &&
      "$native/tests/wine/vt_record_dump" "$native/libvomtrail.so" "../native-$fill.dump" \
        --fill "$fill" --set 0 --set 1 --set 2 "${files[@]}")
  done
}

windows() {
  local work="$1" mingw
  mingw="$(cd "$2" && pwd)"
  need "$mingw/Vomtrail.dll" "$mingw/tests/wine/vt_record_dump.exe"
  mapfile -t files <"$work/corpus/corpus.list"
  source "$root/scripts/lib/wine-env.sh"
  for fill in "${fills[@]}"; do
    (cd "$work/corpus" &&
      wine "$mingw/tests/wine/vt_record_dump.exe" "$mingw/Vomtrail.dll" "../windows-$fill.dump" \
        --fill "$fill" --set 0 --set 1 --set 2 "${files[@]}")
  done
}

compare() {
  local work="$1" status=0 count
  count=$(wc -l <"$work/corpus/corpus.list")
  for fill in "${fills[@]}"; do
    echo "== fill $fill, GetInfo and SetInfo in modes 0, 1, 2 on $count files"
    python3 "$root/tests/wine/compare_dumps.py" "$work/native-$fill.dump" "$work/windows-$fill.dump" || status=1
  done
  return $status
}

case "${1:-}" in
  prepare) [ $# -eq 3 ] || usage; mkdir -p "$2"; prepare "$(cd "$2" && pwd)" "$3" ;;
  windows) [ $# -eq 3 ] || usage; windows "$(cd "$2" && pwd)" "$3" ;;
  compare) [ $# -eq 2 ] || usage; compare "$(cd "$2" && pwd)" ;;
  *)
    [ $# -eq 2 ] || usage
    work="$(mktemp -d)"
    trap 'rm -rf "$work"' EXIT
    prepare "$work" "$1"
    windows "$work" "$2"
    compare "$work"
    ;;
esac
