#!/usr/bin/env bash
# Writes a seed corpus for fuzz_tags into $1: ID3v2 tags of every version
# and form, APE tags, Lyrics3 and ID3v1 blocks built byte by byte, and the
# tags of tiny files written by eyeD3, mid3v2, lame and ffmpeg when those
# exist; each behind the target's three input bytes (see FuzzTags.cpp).
set -euo pipefail
out=${1:?usage: make-tag-seeds.sh OUTDIR}
raw=$(mktemp -d)
trap 'rm -rf "$raw"' EXIT
mkdir -p "$out"

python3 - "$raw" <<'PY'
import struct, sys
out = sys.argv[1]

def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

def frame(major, fid, data, flags=0, plain=False):
    if major == 2:
        return fid.encode() + struct.pack(">I", len(data))[1:] + data
    size = struct.pack(">I", len(data)) if major == 3 or plain else synchsafe(len(data))
    return fid.encode() + size + struct.pack(">H", flags) + data

def tag(major, body, flags=0, padding=0):
    body += bytes(padding)
    return b"ID3" + bytes([major, 0, flags]) + synchsafe(len(body)) + body

def unsync(data):
    out = bytearray()
    for i, b in enumerate(data):
        out.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] >= 0xE0 or data[i + 1] == 0):
            out.append(0)
    return bytes(out)

png = b"\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR" + struct.pack(">II", 64, 32) + bytes(5)
jpeg = b"\xff\xd8\xff\xe0\x00\x04JF\xff\xc0\x00\x11\x08\x01\x2c\x01\x90\x03"
def common(major):
    ids = (["TT2", "TP1", "TAL", "TRK", "TCO", "COM", "TXX", "PIC", "TYE"] if major == 2 else
           ["TIT2", "TPE1", "TALB", "TRCK", "TCON", "COMM", "TXXX", "APIC", "TYER" if major == 3 else "TDRC"])
    pic = b"\0PNG\x03\0" + png if major == 2 else b"\0image/jpeg\0\x03\0" + jpeg
    return (frame(major, ids[0], b"\0Title") + frame(major, ids[1], b"\x01\xff\xfeA\0r\0t\0") +
            frame(major, ids[2], b"\0Album") + frame(major, ids[3], b"\x003/12") +
            frame(major, ids[4], b"\0(13)Rock") + frame(major, ids[5], b"\0engdesc\0text") +
            frame(major, ids[5], b"\0eng\0plain") + frame(major, ids[6], b"\0MOOD\0calm") +
            frame(major, ids[7], pic) + frame(major, ids[8], b"\x002001"))

def item(key, value, flags=0):
    return struct.pack("<II", len(value), flags) + key + b"\0" + value

def ape(items, count, header=True):
    size = len(items) + 32
    flags = 0x80000000 if header else 0
    h = b"APETAGEX" + struct.pack("<IIII", 2000, size, count, flags | 0x20000000) + bytes(8) if header else b""
    return h + items + b"APETAGEX" + struct.pack("<IIII", 2000, size, count, flags) + bytes(8)

id3v1 = b"TAG" + b"Title".ljust(125, b"\0")
lyrics2 = b"LYRICSBEGININD0000210LYR00005hello"
lyrics2 += b"%06dLYRICS200" % len(lyrics2)
audio = bytes([0xFF, 0xFB, 0x90, 0x64]) + bytes(60)
apetag = ape(item(b"Title", "Café".encode()) + item(b"Cover", b"\1\2\3", 2), 2)
shapes = {
    "v22": tag(2, common(2), padding=30),
    "v23": tag(3, common(3), padding=30),
    "v24": tag(4, common(4), padding=30),
    "v24-plain": tag(4, frame(4, "TIT2", b"\0" + b"x" * 200, plain=True) + frame(4, "TPE1", b"\0A", plain=True)),
    "v24-multi": tag(4, frame(4, "TIT2", b"\x03a\0b") + frame(4, "TCON", b"\x0213\0RX"), padding=5),
    "v23-unsync": tag(3, unsync(frame(3, "TIT2", b"\0a\xff\xe0b") + frame(3, "PRIV", b"o\0\xff\xff\0")), 0x80, 8),
    "v24-frame-unsync": tag(4, frame(4, "TIT2", synchsafe(5) + unsync(b"\0a\xff\xe0b"), 0x0003)),
    "v23-ext": tag(3, struct.pack(">IHI", 6, 0, 20) + common(3), 0x40, 20),
    "v23-ext-crc": tag(3, struct.pack(">IHII", 10, 0x8000, 0, 1) + common(3), 0x40),
    "v24-ext": tag(4, synchsafe(12) + b"\x01\x30\x05\1\2\3\4\5\x01\x42" + common(4), 0x40),
    "v24-footer": tag(4, common(4), 0x10) + b"3DI\x04\0\x10" + synchsafe(len(common(4))),
    "v23-flags": tag(3, frame(3, "TIT2", b"xxxx", 0x0080) + frame(3, "TPE1", b"\1e", 0x0040) + frame(3, "TPE2", b"\7\0g", 0x0020)),
    "stacked": tag(3, common(3), padding=4) + tag(4, frame(4, "TIT2", b"\0second")) + audio,
    "damaged": tag(3, frame(3, "TIT2", b"\0ok") + b"TPE1\0\0\x10\0\0\0x"),
    "trailer": audio + apetag + lyrics2 + id3v1,
    "trailer-lyrics1": audio + b"LYRICSBEGINwordsLYRICSEND" + id3v1,
    "trailer-ape-end": audio + ape(item(b"Artist", b"A", 1), 1, False),
}
for name, data in shapes.items():
    open(f"{out}/{name}.bin", "wb").write(data)
PY

# Tags written by real tools on a tenth of a second of tone.
if command -v lame >/dev/null && command -v sox >/dev/null; then
  sox -n -r 44100 -c 1 "$raw/tone.wav" synth 0.1 sine 440 2>/dev/null
  lame --quiet -b 32 --add-id3v2 --tt Title --ta Artist --tl Album --ty 2001 --tn 3/9 --tg Rock \
    --tc Comment "$raw/tone.wav" "$raw/lame.bin"
  if command -v eyeD3 >/dev/null; then
    for version in 2.3 2.4; do
      cp "$raw/lame.bin" "$raw/eyed3-$version.bin"
      eyeD3 --quiet --to-v$version -t "Tïtle" -a "日本" -n 2 -N 5 -G Jazz -c "eyeD3 comment" \
        "$raw/eyed3-$version.bin" >/dev/null 2>&1 || rm -f "$raw/eyed3-$version.bin"
    done
  fi
  if command -v mid3v2 >/dev/null; then
    cp "$raw/lame.bin" "$raw/mid3v2.bin"
    mid3v2 -t "Tïtle" -a "日本" -T 4/8 -g "(13)Pop" -c "mid3v2 comment" "$raw/mid3v2.bin" >/dev/null
  fi
  rm -f "$raw/tone.wav"
fi
if command -v ffmpeg >/dev/null; then
  ffmpeg -loglevel error -f lavfi -i sine=d=0.1 -c:a libmp3lame -b:a 32k -metadata title=Title \
    -metadata artist="日本" "$raw/ffmpeg.mp3" && mv "$raw/ffmpeg.mp3" "$raw/ffmpeg.bin"
fi

# Three input bytes: every field edited with a few kinds of text; no field
# edited and the file 64 KiB larger than the bytes.
for f in "$raw"/*.bin; do
  name=$(basename "$f" .bin)
  { printf '\x7f\x01\x00'; cat "$f"; } >"$out/$name-all"
  { printf '\x7f\x02\x00'; cat "$f"; } >"$out/$name-unicode"
  { printf '\x00\x00\x40'; cat "$f"; } >"$out/$name-window"
done
echo "seeds: $(ls "$out" | wc -l) for fuzz_tags"
