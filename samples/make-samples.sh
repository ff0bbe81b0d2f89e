#!/usr/bin/env bash
# Makes the small sample files of this folder with real encoders:
#   tone-vbr.mp3   lame, VBR (Xing header), ID3v2 tag at the front and an
#                  ID3v1.1 block (with track number) at the end
#   tone-mp3.wav   ffmpeg, WAVE file holding MPEG layer 3 audio (format tag
#                  0x0055) with a LIST INFO chunk
#   tone.rmp3      a constant-rate MP3 with an ID3v1 block turned into a
#                  RIFF RMP3 file by `vomtrail set --to rmp3` (a stream
#                  without an ID3v2 tag: RMP3 keeps the bytes before the
#                  audio inside its data chunk)
# Each holds about a second of a mono sine tone, a few KiB.
#
# Usage: samples/make-samples.sh [path/to/vomtrail]   (default: the native build)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
vomtrail="${1:-$here/../build/native/host/vomtrail}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

sox -q -n -r 22050 -c 1 -b 16 "$work/tone.wav" synth 1.2 sine 440 fade 0.05 1.2 0.1

lame --quiet -V 6 -m m --add-id3v2 \
  --tt "Sample tone" --ta "Vomtrail" --tl "Samples" --ty 2024 \
  --tc "VBR, ID3v2 and ID3v1.1" --tn 3 --tg Rock \
  "$work/tone.wav" "$here/tone-vbr.mp3"

ffmpeg -loglevel error -y -i "$work/tone.wav" -c:a libmp3lame -b:a 32k -fflags +bitexact \
  -metadata title="WAVE tone" -metadata artist="Vomtrail" -metadata copyright="2024 Vomtrail" \
  -metadata comment="MPEG audio in a WAVE file" "$here/tone-mp3.wav"

lame --quiet -b 32 -m m --id3v1-only --tt "CBR tone" --ta "Vomtrail" --tl "Samples" --ty 2024 --tg Jazz \
  "$work/tone.wav" "$work/tone.rmp3"
"$vomtrail" set --to rmp3 --title "RMP3 tone" --comment "Written by vomtrail" \
  --info "ICOP=2024 Vomtrail" --info "IART=Vomtrail" "$work/tone.rmp3" >/dev/null
cp "$work/tone.rmp3" "$here/tone.rmp3"

ls -l "$here"/tone*
