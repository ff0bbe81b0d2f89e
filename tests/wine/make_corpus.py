#!/usr/bin/env python3
"""Writes a corpus of MPEG audio files into OUTDIR for holding the Linux
library and the Windows DLL against each other (tests/wine/compare-builds.sh).

Usage: make_corpus.py OUTDIR

Real encoders make the audio: sox a short tone, lame MPEG-1/2/2.5 layer III
streams (constant rate, VBR with a Xing header, ID3 tags), ffmpeg a layer II
stream and a WAVE file holding MP3 with a LIST INFO chunk. The containers
and damaged files that no encoder writes (RIFF "RMP3", truncated files,
reserved header codes) are put together here from those streams.
"""
import os
import struct
import subprocess
import sys


def run(*command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def chunk(ident, body):
    """A RIFF chunk: id, little-endian size, body, pad byte to an even size."""
    return ident + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")


def riff(form, body):
    return b"RIFF" + struct.pack("<I", 4 + len(body)) + form + body


def id3v1(title, artist, album, year, comment, genre, track=None):
    """128 bytes: "TAG", 30+30+30+4 bytes of text, a 30-byte comment whose
    last two bytes hold 0 and the track number in version 1.1, the genre."""
    def field(text, width):
        return text.ljust(width, b"\0")[:width]
    body = b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4)
    if track is None:
        body += field(comment, 30)
    else:
        body += field(comment, 28) + b"\0" + bytes([track])
    return body + bytes([genre])


def id3v2_header(body_size):
    synchsafe = bytes((body_size >> shift) & 0x7F for shift in (21, 14, 7, 0))
    return b"ID3\x03\x00\x00" + synchsafe


def info_list(items):
    body = b"INFO" + b"".join(chunk(ident, text + b"\0") for ident, text in items)
    return chunk(b"LIST", body)


def encoded(work, tone, name, *lame_options):
    out = os.path.join(work, name)
    run("lame", "--quiet", *lame_options, tone, out)
    return read(out)


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    work = os.path.join(outdir, ".work")
    os.makedirs(work, exist_ok=True)
    files = {}

    tone44 = os.path.join(work, "tone44.wav")
    run("sox", "-n", "-r", "44100", "-c", "2", "-b", "16", tone44, "synth", "2.3", "sine", "440")
    tone22 = os.path.join(work, "tone22.wav")
    run("sox", "-n", "-r", "22050", "-c", "1", "-b", "16", tone22, "synth", "0.6", "sine", "330")
    tone8 = os.path.join(work, "tone8.wav")
    run("sox", "-n", "-r", "8000", "-c", "1", "-b", "16", tone8, "synth", "0.6", "sine", "220")

    # Bare streams, no tags: constant rate without and with the encoder's
    # info frame, VBR with a Xing header, MPEG-2 and MPEG-2.5, mono, CRC.
    cbr = encoded(work, tone44, "cbr.mp3", "-b", "128", "-t", "--noreplaygain")
    files["cbr-bare.mp3"] = cbr
    files["cbr-info-frame.mp3"] = encoded(work, tone44, "cbrinfo.mp3", "-b", "160")
    vbr = encoded(work, tone44, "vbr.mp3", "-V", "4")
    files["vbr-xing.mp3"] = vbr
    files["vbr-xing-mono.mp3"] = encoded(work, tone22, "vbrmono.mp3", "-V", "6", "-m", "m")
    files["mpeg2-cbr.mp3"] = encoded(work, tone22, "mpeg2.mp3", "-b", "64", "-t")
    files["mpeg25-cbr.mp3"] = encoded(work, tone8, "mpeg25.mp3", "-b", "16", "-t")
    files["cbr-crc-copyright.mp3"] = encoded(work, tone44, "crc.mp3", "-b", "96", "-t", "-p", "-c", "-o")
    files["cbr-emphasis.mp3"] = encoded(work, tone44, "emph.mp3", "-b", "112", "-t", "-e", "c")
    layer2 = os.path.join(work, "layer2.mp2")
    run("ffmpeg", "-v", "quiet", "-y", "-i", tone44, "-c:a", "mp2", "-b:a", "192k", "-f", "mp2", layer2)
    files["layer2.mp2"] = read(layer2)

    # Tags written by the encoder: ID3v1.0, ID3v1.1, ID3v2 with padding,
    # both; and ID3v1 blocks built here for texts that fill every field.
    files["lame-id3v1.mp3"] = encoded(work, tone44, "v1.mp3", "-b", "128", "-t", "--id3v1-only",
                                      "--tt", "Title", "--ta", "Artist", "--tl", "Album", "--ty", "1999",
                                      "--tc", "A comment", "--tg", "17")
    files["lame-id3v11-track.mp3"] = encoded(work, tone44, "v11.mp3", "-b", "128", "-t", "--id3v1-only",
                                             "--tt", "Tracked", "--tn", "9", "--tg", "Jazz")
    files["lame-id3v2-padded.mp3"] = encoded(work, tone44, "v2.mp3", "-b", "128", "--id3v2-only",
                                             "--pad-id3v2-size", "700", "--tt", "Two", "--ta", "Tagged")
    files["lame-id3v2-and-v1-vbr.mp3"] = encoded(work, tone44, "v2v1.mp3", "-V", "2", "--add-id3v2",
                                                 "--tt", "Both", "--tn", "3")
    files["id3v10-full-fields.mp3"] = cbr + id3v1(b"T" * 30, b"A" * 30, b"L" * 30, b"2024", b"C" * 30, 255)
    files["id3v11-high-bytes.mp3"] = cbr + id3v1("\u00e9t\u00e9".encode("latin-1") + b"\x81\x40 \x01 ",
                                                 b"  spaced  ", b"", b"19", b"c", 0, track=255)
    files["id3v2-hand-padded.mp3"] = id3v2_header(300) + b"\0" * 300 + cbr

    # RIFF "RMP3": data chunk with the stream, LIST INFO, "IID3" holding an
    # ID3v1 block; a variant without IID3 whose stream has its own block,
    # one with odd-sized texts and one whose data size overstates the file.
    block = id3v1(b"Riff title", b"Riff artist", b"Riff album", b"2001", b"Riff comment", 12, track=4)
    items = [(b"INAM", b"Name"), (b"IART", b"Artist text"), (b"ICMT", b"odd"), (b"ISFT", b"Software"),
             (b"IGNR", b"Genre"), (b"ICRD", b"2001-02-03"), (b"IKEY", b"")]
    files["rmp3-list-iid3.rmp"] = riff(b"RMP3", chunk(b"data", cbr) + info_list(items) + chunk(b"IID3", block))
    files["rmp3-no-iid3.rmp"] = riff(b"RMP3", chunk(b"data", cbr + block) + info_list(items[:2]))
    files["rmp3-vbr.rmp"] = riff(b"RMP3", chunk(b"data", vbr) + chunk(b"IID3", block))
    files["rmp3-odd-data.rmp"] = riff(b"RMP3", chunk(b"data", cbr[:-1]) + info_list(items[2:3]))
    overstated = riff(b"RMP3", chunk(b"data", cbr))
    files["rmp3-data-size-overstated.rmp"] = overstated[:16] + struct.pack("<I", len(cbr) * 4) + overstated[20:]

    # WAVE holding MP3: ffmpeg's muxer with its LIST INFO, and one built
    # here with a fact chunk and tags behind the data.
    wave = os.path.join(work, "wave.wav")
    run("ffmpeg", "-v", "quiet", "-y", "-i", os.path.join(work, "cbr.mp3"), "-c:a", "copy",
        "-metadata", "title=Wave title", "-metadata", "artist=Wave artist", "-f", "wav", wave)
    files["wave-mp3-ffmpeg.wav"] = read(wave)
    fmt = struct.pack("<HHIIHH", 0x55, 2, 44100, 16000, 1, 0) + struct.pack("<HHIHHH", 12, 1, 2, 0, 1393, 0)
    files["wave-mp3-list-iid3.wav"] = riff(b"WAVE", chunk(b"fmt ", fmt) + chunk(b"fact", struct.pack("<I", 26460))
                                           + chunk(b"data", cbr) + info_list(items) + chunk(b"IID3", block))
    files["wave-mp3-bare.wav"] = riff(b"WAVE", chunk(b"fmt ", fmt) + chunk(b"data", cbr))
    files["riff-other-form.avi"] = riff(b"AVI ", chunk(b"junk", b"x" * 10) + cbr)

    # Damaged and odd files.
    files["empty.mp3"] = b""
    files["three-bytes.mp3"] = cbr[:3]
    files["header-only.mp3"] = cbr[:4]
    files["cut-mid-frame.mp3"] = cbr[:300]
    files["cut-in-xing.mp3"] = vbr[:40]
    files["no-sync-byte.bin"] = b"ID3\x03\x00\x00\x00\x00\x00\x02" + b"\0" * 600
    files["id3v2-size-past-end.mp3"] = id3v2_header(1 << 20) + cbr[:2000]
    files["riff-cut-in-header.rmp"] = files["rmp3-list-iid3.rmp"][:14]
    files["wave-without-data.wav"] = riff(b"WAVE", chunk(b"fmt ", fmt))
    files["tag-only.mp3"] = block
    files["iid3-cut.rmp"] = files["rmp3-list-iid3.rmp"][:-60]

    # Reserved and free-format header codes on an otherwise real stream:
    # bitrate index 15, free format 0, sample-rate code 3, layer code 0,
    # version code 1 (reserved), and the sync bits cleared.
    def patched(byte1=None, byte2=None):
        head = bytearray(cbr)
        if byte1 is not None:
            head[1] = byte1
        if byte2 is not None:
            head[2] = byte2
        return bytes(head)
    files["reserved-bitrate.mp3"] = patched(byte2=(cbr[2] & 0x0F) | 0xF0)
    files["free-format.mp3"] = patched(byte2=cbr[2] & 0x0F)
    files["reserved-samplerate.mp3"] = patched(byte2=cbr[2] | 0x0C)
    files["reserved-layer.mp3"] = patched(byte1=cbr[1] & 0xF9)
    files["reserved-version.mp3"] = patched(byte1=(cbr[1] & 0xE7) | 0x08)
    files["no-sync-bits.mp3"] = patched(byte1=0x1B)
    files["reserved-layer-tagged.mp3"] = patched(byte1=cbr[1] & 0xF9) + block

    for name, data in files.items():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)
    for name in os.listdir(work):
        os.remove(os.path.join(work, name))
    os.rmdir(work)
    with open(os.path.join(outdir, "corpus.list"), "w") as f:
        f.write("\n".join(sorted(files)) + "\n")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    main(sys.argv[1])
