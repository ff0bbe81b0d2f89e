"""mutagen asked for what GetInfo gives: the tag texts and the audio
properties. WAVE files go to mutagen's WAVE reader, everything else to its
MP3 reader. Usage: mutagen_reader.py LIST [ROUNDS]

Prints the same result line as the C++ corpus readers."""
import sys
import time

from mutagen.mp3 import MP3
from mutagen.wave import WAVE


def fold(audio):
    total = 0
    info = audio.info
    total += int(getattr(info, "bitrate", 0) or 0) + int(getattr(info, "sample_rate", 0) or 0)
    total += int(getattr(info, "length", 0) or 0)
    tags = audio.tags
    if tags is not None:
        for key in ("TIT2", "TPE1", "TALB", "TDRC", "COMM::eng", "TCON", "TRCK"):
            frame = tags.get(key)
            if frame is not None:
                total += len(str(frame))
    return total


def main():
    if len(sys.argv) < 2:
        print("usage: mutagen_reader.py LIST [ROUNDS]", file=sys.stderr)
        return 2
    with open(sys.argv[1]) as f:
        paths = [line.rstrip("\n") for line in f if line.strip()]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    checksum = 0
    failures = 0
    start = time.perf_counter()
    for _ in range(rounds):
        for path in paths:
            try:
                audio = WAVE(path) if path.endswith(".wav") else MP3(path)
                checksum += fold(audio)
            except Exception:  # a reader that gives up on a file still paid for it
                failures += 1
    seconds = time.perf_counter() - start
    files = len(paths) * rounds
    print("reader=mutagen files=%d seconds=%.4f files_per_second=%.0f us_per_file=%.3f checksum=%d"
          % (files, seconds, files / seconds if seconds else 0, seconds * 1e6 / files if files else 0, checksum))
    if failures:
        print("mutagen_reader: %d files failed" % failures, file=sys.stderr)
    return 0


if __name__ == "__main__":
    sys.exit(main())
