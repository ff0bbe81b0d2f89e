"""Builds a collection of small tagged files for the scan benchmark:
OUT/Artist NNN/Album NN/NNN Title.ext, 100 files an album, in the four
forms a collection holds (bare CBR MP3 with ID3v1, VBR MP3 with ID3v2 and
ID3v1, WAVE holding MP3 from ffmpeg with a LIST INFO, RIFF RMP3 written by
the module). One second of audio each, made once by the real encoders and
copied with a different title per file (the file's own bytes, so a cold
cache has to read every one).

Usage: make_collection.py OUT COUNT SETINFO_RUN
Re-running with the same count does nothing."""
import os
import shutil
import subprocess
import sys

SEED_TITLE = b"Seed title 000000"
PER_ALBUM, ALBUMS = 100, 10


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def seeds(folder, setinfo_run):
    os.makedirs(folder, exist_ok=True)
    tone = os.path.join(folder, "tone.wav")
    run("sox", "-n", "-r", "44100", "-c", "2", "-b", "16", tone, "synth", "1", "sine", "440", "sine", "660")
    tags = ["--tt", SEED_TITLE.decode(), "--ta", "Seed artist", "--tl", "Seed album", "--ty", "2001", "--tn", "7",
            "--tg", "Jazz"]
    made = {}
    made[".mp3"] = os.path.join(folder, "cbr.mp3")
    run("lame", "--quiet", "-b", "128", "--id3v1-only", *tags, tone, made[".mp3"])
    made["v.mp3"] = os.path.join(folder, "vbr.mp3")
    run("lame", "--quiet", "-V", "4", "--add-id3v2", *tags, tone, made["v.mp3"])
    made[".wav"] = os.path.join(folder, "wave.wav")
    run("ffmpeg", "-nostdin", "-y", "-i", tone, "-c:a", "libmp3lame", "-b:a", "128k", "-f", "wav", "-metadata",
        "title=" + SEED_TITLE.decode(), "-metadata", "artist=Seed artist", made[".wav"])
    made[".rmp3"] = os.path.join(folder, "riff.rmp3")
    shutil.copyfile(made[".mp3"], made[".rmp3"])
    run(setinfo_run, "1", made[".rmp3"])
    return made


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    out, count, setinfo_run = sys.argv[1], int(sys.argv[2]), os.path.abspath(sys.argv[3])
    stamp = os.path.join(out, "stamp")
    if os.path.exists(stamp) and open(stamp).read() == str(count):
        return 0
    shutil.rmtree(out, ignore_errors=True)
    made = seeds(os.path.join(out, "seeds"), setinfo_run)
    bodies = [(ext if ext != "v.mp3" else ".mp3", open(path, "rb").read()) for ext, path in made.items()]
    root = os.path.join(out, "files")
    for i in range(count):
        artist, album, track = i // (PER_ALBUM * ALBUMS), i // PER_ALBUM % ALBUMS, i % PER_ALBUM
        folder = os.path.join(root, "Artist %03d" % artist, "Album %02d" % album)
        if track == 0:
            os.makedirs(folder)
        extension, body = bodies[i % len(bodies)]
        title = b"Seed title %06d" % i
        with open(os.path.join(folder, "%03d Title %d%s" % (track, i, extension)), "wb") as f:
            f.write(body.replace(SEED_TITLE, title))
    with open(stamp, "w") as f:
        f.write(str(count))
    return 0


if __name__ == "__main__":
    sys.exit(main())
