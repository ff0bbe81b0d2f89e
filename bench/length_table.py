"""The play time of every file of the host tests' length corpus (thirty
seconds of tone in each form lame, ffmpeg and sox make, plus junk before the
first frame, a cut file, an RMP3 and a WAVE file), as a decoder plays it
beside what vomtrail, ffprobe and mutagen say.

Usage: VOMTRAIL=build/native/host/vomtrail /usr/bin/python3 bench/length_table.py
Prints a Markdown table. Needs lame, ffmpeg, sox, eyeD3 and python3-mutagen."""
import json
import os
import subprocess
import sys

# The tests check the version against this; the table does not need it.
os.environ.setdefault("VOMTRAIL_VERSION", "")
sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "host"))
import test_vomtrail as host  # noqa: E402  (the corpus is the tests' own)


def ffprobe_seconds(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "json", path],
                         capture_output=True, check=True).stdout
    return float(json.loads(out)["format"]["duration"])


def mutagen_seconds(path):
    import mutagen
    try:
        opened = mutagen.File(path)
    except Exception as e:  # mutagen names a file it cannot open by raising
        return f"({type(e).__name__})"
    return opened.info.length if opened is not None else "(not read)"


def cell(value):
    return f"{value:.3f}" if isinstance(value, float) else str(value)


def main():
    case = host.LengthTests("test_lengths_agree_with_a_decoder")
    case.setUp()
    try:
        print("| file | decoder s | vomtrail s (source) | vomtrail - decoder | ffprobe s | mutagen s |")
        print("|---|---:|---:|---:|---:|---:|")
        for path, _ in case.files():
            decoded = host.decoded_seconds(path)
            report = host.info_json(path)
            ours = report["seconds"]
            print(f"| {os.path.basename(path)} | {decoded:.3f} | {ours:.3f} ({report['seconds_source']}) | "
                  f"{100 * (ours - decoded) / decoded:+.2f} % | {cell(ffprobe_seconds(path))} | "
                  f"{cell(mutagen_seconds(path))} |")
    finally:
        case.doCleanups()


if __name__ == "__main__":
    main()
