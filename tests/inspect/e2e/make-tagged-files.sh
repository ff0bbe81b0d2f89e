#!/usr/bin/env bash
# Makes MP3 files tagged by real tag writers: eyeD3 (ID3v2.3 and 2.4),
# mid3v2 and mutagen itself (2.4, 2.3, every text encoding, several
# values), id3v2 (id3lib, 2.3), ffmpeg (2.4 and 2.3, with a cover), lame
# (2.3 with a cover), and APEv2 tags at the end, before and behind an ID3v1
# block.
# Usage: make-tagged-files.sh <output dir>. The id3v2 program is installed
# here when missing (Debian package id3v2).
#
# A stamp holds this script's checksum: the files are made once per build
# directory and again only when the script changes.
set -euo pipefail

out=${1:?usage: make-tagged-files.sh <output dir>}
stamp="$out/.stamp"
sum=$(sha256sum "$0" | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$sum" ]; then
  exit 0
fi
if ! command -v id3v2 >/dev/null; then
  SUDO=$([ "$(id -u)" = 0 ] || echo sudo)
  $SUDO apt-get install -y -qq --no-install-recommends id3v2 >/dev/null
fi

rm -rf "$out"
mkdir -p "$out/src"
cd "$out"
py=/usr/bin/python3

sox -D -n -r 44100 -c 1 -b 16 src/tone.wav synth 0.5 sine 440 gain -6
lame --quiet -b 64 src/tone.wav src/clean.mp3
ffmpeg -nostdin -loglevel error -f lavfi -i color=red:s=64x48 -frames:v 1 src/cover.png
ffmpeg -nostdin -loglevel error -f lavfi -i color=blue:s=80x60 -frames:v 1 src/cover.jpg

tagged() {  # tagged <name>: a fresh copy of the untagged file
  cp src/clean.mp3 "$1"
}

eyed3() {  # eyed3 <version> <date options...>
  local version=$1
  shift
  tagged "eyed3-v$version.mp3"
  eyeD3 --quiet --to-v$version -t "Tïtle 日本" -a "Artïst" -A "Album" -b "Band" -n 2 -N 5 -d 1 -D 2 \
    -G Jazz -c "eyeD3 comment" --add-comment "described:desc:deu" --user-text-frame "MOOD:calm" \
    --add-image src/cover.png:FRONT_COVER:Front --add-image src/cover.jpg:BACK_COVER "$@" \
    "eyed3-v$version.mp3" >/dev/null
}
eyed3 2.3 -Y 2004
eyed3 2.4 --recording-date 2004-05-06

tagged mid3v2-v24.mp3
mid3v2 -t "Tïtle 日本" -a Artist -A Album -y 2005-06-07 -g "(13)Pop" -T 4/8 -c "mid3v2 comment" \
  --TPE2 Band --TPOS 1/2 --TXXX "MOOD:calm" -p src/cover.png:Front:3:image/png mid3v2-v24.mp3

tagged id3v2-v23.mp3
id3v2 -t Title -a Artist -A Album -y 2006 -T 5/10 -g 17 -c "id3lib comment" --TPE2 Band --TPOS 2/3 id3v2-v23.mp3

for version in 3 4; do
  ffmpeg -nostdin -loglevel error -i src/tone.wav -i src/cover.png -map 0 -map 1 -c:a libmp3lame -b:a 64k \
    -c:v copy -disposition:v attached_pic -id3v2_version $version -metadata title="Tïtle 日本" \
    -metadata artist=Artist -metadata album=Album -metadata album_artist=Band -metadata date=2007 \
    -metadata track=6/9 -metadata disc=1/1 -metadata genre=Ambient -metadata comment="ffmpeg comment" \
    "ffmpeg-v2$version.mp3"
done

lame --quiet -b 64 --add-id3v2 --pad-id3v2-size 300 --tt "Café" --ta "Lame Artist" --tl "Lame Album" \
  --ty 2001 --tn 3/12 --tg Rock --tc "lame comment" --ti src/cover.jpg src/tone.wav lame-v23.mp3

# mutagen writes every encoding and several values per frame; it also
# writes the APEv2 tags.
tagged mutagen-v24.mp3
tagged mutagen-v23.mp3
lame --quiet -b 64 --id3v1-only --tt "One" src/tone.wav id3v1-then-ape.mp3
tagged ape-end.mp3
"$py" - <<'PY'
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TPE2, TCON, TRCK, TDRC, COMM, TXXX
from mutagen.apev2 import APEv2, APEValue, BINARY
tags = ID3()
tags.add(TIT2(encoding=1, text=["One", "Twö"]))
tags.add(TPE1(encoding=2, text=["日本"]))
tags.add(TALB(encoding=3, text=["Albüm"]))
tags.add(TPE2(encoding=0, text=["Bänd"]))
tags.add(TCON(encoding=3, text=["13", "Shoegaze"]))
tags.add(TRCK(encoding=0, text=["7"]))
tags.add(TDRC(encoding=0, text=["2008-09-10"]))
tags.add(COMM(encoding=1, lang="eng", desc="", text=["mutagen comment"]))
tags.add(TXXX(encoding=1, desc="MOOD", text=["calm", "quiet"]))
tags.save("mutagen-v24.mp3", v2_version=4)
tags.save("mutagen-v23.mp3", v2_version=3)
for name in ("id3v1-then-ape.mp3", "ape-end.mp3"):
    ape = APEv2()
    ape["Title"] = "Tïtle 日本"
    ape["Artist"] = "APE Artist"
    ape["Cover Art (Front)"] = APEValue(b"cover.jpg\0" + bytes(100), BINARY)
    ape.save(name)
# mutagen puts its APE tag behind an ID3v1 block; most writers put it in front.
with open("ape-end.mp3", "rb") as f:
    data = f.read()
with open("ape-then-id3v1.mp3", "wb") as f:
    f.write(data + b"TAG" + b"One".ljust(125, b"\0"))
PY
echo "$sum" >"$stamp"
