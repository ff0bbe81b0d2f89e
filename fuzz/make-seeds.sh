#!/usr/bin/env bash
# Writes a seed corpus for the fuzz targets into $1/fuzz_getinfo,
# $1/fuzz_setinfo and $1/fuzz_inspect: the container shapes the module knows,
# built byte by byte, and a few tiny files from real encoders, each wrapped in
# the target's input header (see the comments at the top of FuzzGetInfo.cpp
# and FuzzSetInfo.cpp; FuzzInspect.cpp takes the file alone).
# Encoders that are missing are skipped; the byte-level shapes always exist.
set -euo pipefail
out=${1:?usage: make-seeds.sh OUTDIR}
raw=$(mktemp -d)
trap 'rm -rf "$raw"' EXIT
mkdir -p "$out/fuzz_getinfo" "$out/fuzz_setinfo" "$out/fuzz_inspect"

python3 - "$raw" <<'PY'
import struct, sys
out = sys.argv[1]
frame = bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(413)  # MPEG-1 layer III 128 kbit/s 44.1 kHz
audio = frame * 3

def id3v1(title=b"Title", track=7):
    f = lambda t, w: t[:w].ljust(w, b" ")
    return (b"TAG" + f(title, 30) + f(b"Artist", 30) + f(b"Album", 30) + f(b"2001", 4)
            + f(b"Comment", 28) + b"\0" + bytes([track]) + b"\x0c")

def chunk(cid, body):
    return cid + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")

def info_list(with_iid3=True):
    body = b"INFO" + chunk(b"INAM", b"Name\0") + chunk(b"IART", b"Artist\0") + chunk(b"ISFT", b"Vom Trail!\0")
    if with_iid3:
        body += chunk(b"IID3", id3v1())
    return chunk(b"LIST", body)

def riff(form, body):
    return b"RIFF" + struct.pack("<I", 4 + len(body)) + form + body

xing = bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(32) + b"Xing" + struct.pack(">II", 15, 200) + bytes(400)
fmt = struct.pack("<HHIIHH", 0x55, 2, 44100, 16000, 1, 0) + struct.pack("<H", 0)
shapes = {
    "bare": audio,
    "bare-id3v1": audio + id3v1(),
    "bare-id3v10": audio + id3v1()[:125] + b"xyz",
    "id3v2": b"ID3\x03\x00\x00\x00\x00\x02\x01" + bytes(257) + audio,
    "id3v2-id3v1": b"ID3\x04\x00\x00\x00\x00\x00\x00" + bytes(20) + audio + id3v1(),
    "xing": xing + audio,
    "rmp3": riff(b"RMP3", chunk(b"data", audio) + info_list()),
    "rmp3-odd": riff(b"RMP3", chunk(b"data", audio + b"\xff") + info_list(False) + id3v1()),
    "wave": riff(b"WAVE", chunk(b"fmt ", fmt) + chunk(b"data", audio)),
    "wave-tags": riff(b"WAVE", chunk(b"fmt ", fmt) + chunk(b"fact", b"dda\0") + chunk(b"data", audio) + info_list()),
    "riff-other": riff(b"AVI ", chunk(b"data", audio)),
    "tiny-tag": id3v1(),
    "short": b"\xff\xfb\x90",
}
for name, data in shapes.items():
    open(f"{out}/{name}.bin", "wb").write(data)
PY

# Tiny real files: a tenth of a second of a tone.
if command -v sox >/dev/null && command -v lame >/dev/null; then
  sox -n -r 44100 -c 2 "$raw/tone.wav" synth 0.1 sine 440 2>/dev/null
  lame --quiet -b 64 "$raw/tone.wav" "$raw/lame-cbr.bin"
  lame --quiet -V 6 -p --tt Title --ta Artist --tn 3 --id3v1-only "$raw/tone.wav" "$raw/lame-vbr-v1.bin"
  lame --quiet -b 8 -m m --resample 8 --add-id3v2 --tt Title "$raw/tone.wav" "$raw/lame-mpeg25-v2.bin"
  rm -f "$raw/tone.wav"
fi
if command -v ffmpeg >/dev/null; then
  ffmpeg -loglevel error -f lavfi -i sine=d=0.1 -c:a libmp3lame -b:a 32k -metadata title=Title \
    -f wav "$raw/ffmpeg-wave.bin"
  ffmpeg -loglevel error -f lavfi -i sine=d=0.1 -c:a mp2 -b:a 64k -f mp2 "$raw/ffmpeg-layer2.bin"
fi

# GetInfo: fill byte, TagKind, no fault, code; then the file.
getinfo_header() { printf "$1\\x00\\xff\\x00"; }
# SetInfo: mode, FileKind, flags (HasTag, TagKind 1), no fault, track 7,
# fill, two texts (title "Title", item 0 " Name "); then the file.
setinfo_header() { printf "\\x$(printf %02x "$1")\\x$(printf %02x "$2")\\x03\\x00\\x07\\x20\\x02\\x11\\x05Title\\x00\\x06 Name "; }

for f in "$raw"/*.bin; do
  name=$(basename "$f" .bin)
  cp "$f" "$out/fuzz_inspect/$name"  # the inspection takes the file alone
  { getinfo_header '\x00'; cat "$f"; } >"$out/fuzz_getinfo/$name"
  { getinfo_header '\xaa'; cat "$f"; } >"$out/fuzz_getinfo/$name-filled"
  case "$name" in
    rmp3*) kind=1 ;;
    wave* | ffmpeg-wave) kind=2 ;;
    *) kind=0 ;;
  esac
  for mode in 0 1 2; do
    { setinfo_header "$mode" "$kind"; cat "$f"; } >"$out/fuzz_setinfo/$name-mode$mode"
  done
done
echo "seeds: $(ls "$out/fuzz_getinfo" | wc -l) for fuzz_getinfo, $(ls "$out/fuzz_setinfo" | wc -l) for fuzz_setinfo," \
  "$(ls "$out/fuzz_inspect" | wc -l) for fuzz_inspect"
