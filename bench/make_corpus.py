"""Builds the benchmark corpus under build/bench-corpus (never committed).

A few distinct files are made with real encoders (sox for the signal, lame
and ffmpeg for the MP3 audio, the module's own SetInfo mode 1 for RIFF
"RMP3"), then replicated into thousands with small byte changes (the title
number), which takes seconds instead of thousands of encoder runs.

Usage: make_corpus.py OUT_DIR SETINFO_RUN [PER_KIND]
Re-running with the same settings does nothing."""
import os
import shutil
import subprocess
import sys

SEED_TITLE = b"Seed title 0000"
STAMP_VERSION = "4"
MIB = 1 << 20


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def lame_tags():
    return ["--tt", SEED_TITLE.decode(), "--ta", "Seed artist", "--tl", "Seed album",
            "--ty", "2001", "--tc", "Seed comment", "--tn", "7", "--tg", "Rock"]


def make_seeds(seeds, setinfo_run):
    os.makedirs(seeds, exist_ok=True)
    tone = os.path.join(seeds, "tone.wav")
    noise = os.path.join(seeds, "noise.wav")
    long_noise = os.path.join(seeds, "long_noise.wav")
    run("sox", "-n", "-r", "44100", "-c", "2", "-b", "16", tone, "synth", "2", "sine", "440", "sine", "660")
    run("sox", "-n", "-r", "44100", "-c", "2", "-b", "16", noise, "synth", "2", "pinknoise", "vol", "0.3")
    run("sox", "-n", "-r", "44100", "-c", "2", "-b", "16", long_noise, "synth", "10", "whitenoise", "vol", "0.5")

    out = {}
    out["bare_cbr_id3v1"] = os.path.join(seeds, "bare_cbr_id3v1.mp3")
    run("lame", "--quiet", "-b", "128", "--id3v1-only", *lame_tags(), tone, out["bare_cbr_id3v1"])
    out["bare_vbr_id3v1"] = os.path.join(seeds, "bare_vbr_id3v1.mp3")
    run("lame", "--quiet", "-V", "4", "--id3v1-only", *lame_tags(), noise, out["bare_vbr_id3v1"])
    out["cbr_id3v2"] = os.path.join(seeds, "cbr_id3v2.mp3")
    run("lame", "--quiet", "-b", "192", "--id3v2-only", *lame_tags(), noise, out["cbr_id3v2"])
    out["vbr_id3v2_id3v1"] = os.path.join(seeds, "vbr_id3v2_id3v1.mp3")
    run("lame", "--quiet", "-V", "2", "--add-id3v2", *lame_tags(), tone, out["vbr_id3v2_id3v1"])
    # RIFF "RMP3" as the module itself writes it, from a bare file.
    out["rmp3"] = os.path.join(seeds, "rmp3.rmp")
    shutil.copyfile(out["bare_cbr_id3v1"], out["rmp3"])
    run(setinfo_run, "1", out["rmp3"])
    out["wave"] = os.path.join(seeds, "wave.wav")
    run("ffmpeg", "-nostdin", "-y", "-i", noise, "-c:a", "libmp3lame", "-b:a", "128k", "-f", "wav",
        "-metadata", "title=" + SEED_TITLE.decode(), "-metadata", "artist=Seed artist", out["wave"])

    # For the call counter: an ID3v2 tag with a megabyte of zero padding
    # (lame caps its own padding far below that, so the tag is regrown here).
    out["id3v2_pad1m"] = os.path.join(seeds, "id3v2_pad1m.mp3")
    pad_id3v2(out["vbr_id3v2_id3v1"], MIB, out["id3v2_pad1m"])
    # Plain CBR frames without a Xing frame, to repeat into the large files.
    out["frames"] = os.path.join(seeds, "frames.mp3")
    run("lame", "--quiet", "-b", "320", "-t", "--id3v1-only", long_noise, out["frames"])
    return out


def synchsafe(size):
    return bytes([(size >> 21) & 0x7F, (size >> 14) & 0x7F, (size >> 7) & 0x7F, size & 0x7F])


def pad_id3v2(source, padding, path):
    with open(source, "rb") as f:
        data = f.read()
    assert data[:3] == b"ID3"
    size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
    tag_end = 10 + size
    with open(path, "wb") as f:
        f.write(data[:6] + synchsafe(size + padding) + data[10:tag_end])
        f.write(bytes(padding))
        f.write(data[tag_end:])


def vary(data, index):
    """The seed's bytes with its title number set to index."""
    number = b"%04d" % (index % 10000)
    varied = bytearray(data.replace(SEED_TITLE, SEED_TITLE[:-4] + number))
    if len(varied) >= 128 and varied[-128:-125] == b"TAG":
        title = (SEED_TITLE[:-4] + number).ljust(30, b"\0")
        varied[-125:-95] = title
    return bytes(varied)


def id3v1_block():
    block = bytearray(128)
    block[0:3] = b"TAG"
    block[3:3 + len(SEED_TITLE)] = SEED_TITLE
    block[33:44] = b"Seed artist"
    block[93:97] = b"2001"
    block[126] = 7
    block[127] = 17
    return bytes(block)


def audio_frames(path):
    with open(path, "rb") as f:
        data = f.read()
    return data[:-128] if data[-128:-125] == b"TAG" else data


def make_bare_large(frames, size, path):
    body = bytearray()
    while len(body) < size - 128:
        body += frames
    del body[size - 128:]
    with open(path, "wb") as f:
        f.write(body)
        f.write(id3v1_block())


def make_wave_large(wave_seed, frames, size, path):
    with open(wave_seed, "rb") as f:
        seed = f.read()
    data_at = seed.index(b"data", 12)
    head = bytearray(seed[:data_at + 8])
    audio = bytearray()
    target = size - len(head)
    while len(audio) < target:
        audio += frames
    del audio[target & ~1:]
    head[data_at + 4:data_at + 8] = len(audio).to_bytes(4, "little")
    head[4:8] = (len(head) + len(audio) - 8).to_bytes(4, "little")
    with open(path, "wb") as f:
        f.write(head)
        f.write(audio)


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    out_dir, setinfo_run = sys.argv[1], os.path.abspath(sys.argv[2])
    per_kind = int(sys.argv[3]) if len(sys.argv) > 3 else 600
    stamp = os.path.join(out_dir, "stamp")
    wanted = "%s %d\n" % (STAMP_VERSION, per_kind)
    if os.path.exists(stamp) and open(stamp).read() == wanted:
        return 0
    shutil.rmtree(out_dir, ignore_errors=True)
    seeds = make_seeds(os.path.join(out_dir, "seeds"), setinfo_run)

    small_dir = os.path.join(out_dir, "small")
    os.makedirs(small_dir)
    kinds = ["bare_cbr_id3v1", "bare_vbr_id3v1", "cbr_id3v2", "vbr_id3v2_id3v1", "rmp3", "wave"]
    small = []
    for kind in kinds:
        with open(seeds[kind], "rb") as f:
            data = f.read()
        extension = os.path.splitext(seeds[kind])[1]
        for i in range(per_kind):
            path = os.path.join(small_dir, "%s_%04d%s" % (kind, i, extension))
            with open(path, "wb") as f:
                f.write(vary(data, i))
            small.append(path)
    # Interleave the kinds, as a real folder would mix them.
    small.sort(key=lambda p: (os.path.basename(p).rsplit("_", 1)[1], p))
    with open(os.path.join(out_dir, "small.lst"), "w") as f:
        f.write("".join(p + "\n" for p in small))

    large_dir = os.path.join(out_dir, "large")
    os.makedirs(large_dir)
    frames = audio_frames(seeds["frames"])
    for mib in (10, 100):
        make_bare_large(frames, mib * MIB, os.path.join(large_dir, "bare_%dm.mp3" % mib))
        make_wave_large(seeds["wave"], frames, mib * MIB, os.path.join(large_dir, "wave_%dm.wav" % mib))

    with open(stamp, "w") as f:
        f.write(wanted)
    return 0


if __name__ == "__main__":
    sys.exit(main())
