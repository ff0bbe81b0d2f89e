#!/usr/bin/env bash
# Makes the end-to-end test files with real encoders: sox synthesises short
# fixed tones, lame and ffmpeg encode them. Same inputs, same tools, same
# bytes on every run. Usage: make-fixtures.sh <output dir>
#
# The stamp file holds this script's checksum, so the files are made once
# per build directory and again only when this script changes.
set -euo pipefail

out=${1:?usage: make-fixtures.sh <output dir>}
stamp="$out/.stamp"
sum=$(sha256sum "$0" | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$sum" ]; then
  exit 0
fi

rm -rf "$out"
mkdir -p "$out/src"
cd "$out"

# --- PCM sources: two seconds of two sine tones (one for mono), undithered
# so that every run gives the same samples ----------------------------------
tone() {  # tone <rate> <channels> <name>
  local tones="sine 440"
  if [ "$2" = 2 ]; then tones="sine 440 sine 660"; fi
  sox -D -n -r "$1" -c "$2" -b 16 "src/$3.wav" synth 2.0 $tones gain -6
}
tone 44100 2 s44
tone 44100 1 m44
tone 48000 2 s48
tone 32000 1 m32
tone 22050 2 s22
tone 22050 1 m22
tone 24000 1 m24
tone 24000 2 s24
tone 11025 2 s11
tone 8000 1 m8

mp3() {  # mp3 <source> <output> <lame options...>
  local source=$1 output=$2
  shift 2
  lame --quiet "$@" "src/$source.wav" "$output"
}

# --- Layer III, constant rate: lame writes an "Info" frame first ---------
mp3 s44 l3-v1-44100-joint-128.mp3 -b 128 -m j
mp3 s48 l3-v1-48000-stereo-320.mp3 -b 320 -m s
mp3 s44 l3-v1-44100-dual-160.mp3 -b 160 -m d
mp3 m32 l3-v1-32000-mono-64.mp3 -b 64 -m m
mp3 s22 l3-v2-22050-joint-64.mp3 -b 64 -m j
mp3 m24 l3-v2-24000-mono-32.mp3 -b 32 -m m --resample 24
mp3 s11 l3-v25-11025-stereo-32.mp3 -b 32 -m s
mp3 m8 l3-v25-8000-mono-16.mp3 -b 16 -m m
mp3 s44 l3-crc-44100-joint-128.mp3 -p -b 128 -m j

# --- Layer III, variable rate with a "Xing" frame ------------------------
mp3 s44 vbr-v1-44100-joint.mp3 -V 2 -m j
mp3 m44 vbr-v1-44100-mono.mp3 -V 4 -m m
mp3 m22 vbr-v2-22050-mono.mp3 -V 5 -m m
mp3 s24 vbr-v2-24000-stereo.mp3 -V 6 -m s
mp3 s44 vbr-crc-44100-joint.mp3 -V 2 -m j -p

# --- Tags written by lame ------------------------------------------------
# ID3v2 in front with padding; lame also appends an ID3v1 block.
mp3 s44 id3v2-padded.mp3 -b 128 -m j --add-id3v2 --pad-id3v2-size 700 \
  --tt "Padded Title" --ta "Padded Artist" --tl "Padded Album" --ty 2001 \
  --tc "padded comment" --tn 3 --tg 17
# ID3v1.0: a 30-byte comment leaves no room for the track marker.
mp3 s44 id3v10.mp3 -b 128 -m j --id3v1-only \
  --tt "Ten Title" --ta "Ten Artist" --tl "Ten Album" --ty 1999 \
  --tc "abcdefghijklmnopqrstuvwxyz0123" --tg 8
# ID3v1.1: a short comment, then the zero marker and the track.
mp3 s44 id3v11.mp3 -b 128 -m j --id3v1-only \
  --tt "Eleven Title" --ta "Eleven Artist" --tl "Eleven Album" --ty 2011 \
  --tc "eleven comment" --tn 7 --tg 24

# --- Layer II (ffmpeg's encoder writes no Xing frame) --------------------
ff() { ffmpeg -nostdin -loglevel error -y -i "$@"; }
ff src/s48.wav -fflags +bitexact -c:a mp2 -b:a 192k -f mp2 l2-v1-48000-stereo-192.mp2
ff src/m24.wav -fflags +bitexact -c:a mp2 -b:a 64k -f mp2 l2-v2-24000-mono-64.mp2

# --- WAVE files ----------------------------------------------------------
# MP3 audio in a WAVE file, without and with a LIST INFO chunk (which
# ffmpeg puts in the head, before "data").
ff src/s44.wav -fflags +bitexact -c:a libmp3lame -b:a 128k -f wav wave-mp3-plain.wav
ff src/s44.wav -fflags +bitexact -c:a libmp3lame -b:a 128k \
  -metadata title="Wave Title" -metadata artist="Wave Artist" -f wav wave-mp3-info.wav
# A head longer than a kilobyte: a 1200-byte comment in the LIST INFO chunk.
ff src/s44.wav -fflags +bitexact -c:a libmp3lame -b:a 128k \
  -metadata comment="$(printf 'x%.0s' $(seq 1200))" -f wav wave-mp3-longhead.wav
cp src/s44.wav wave-pcm.wav

# --- ffprobe's reading of every file, made once here rather than in every
# test that compares with it --------------------------------------------
for f in *.mp3 *.mp2 *.wav; do
  ffprobe -v error -count_packets -show_streams -show_format -of json "$f" >"$f.probe.json"
done

echo "$sum" >"$stamp"
