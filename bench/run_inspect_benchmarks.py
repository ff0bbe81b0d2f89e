"""The inspection's costs: `vomtrail info --json` per file on the corpus
beside the module's GetInfo, with and without the tags' texts, and the
frame count of a 100 MiB VBR stream without a header against plain reading.

Usage: run_inspect_benchmarks.py --native BUILD --corpus DIR [--runs N]
                                 [--append FILE]

Uses the corpus make_corpus.py built (DIR/small.lst) and makes its own
stream under DIR/inspect. Cold figures drop the file from the page cache
first (posix_fadvise, this file only); warm ones read it from memory.
Prints one line a figure; nothing fails on a number."""
import argparse
import os
import subprocess
import sys

from run_benchmarks import median, parse_line

MIB = 1 << 20


def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def vbr_without_header(folder):
    """100 MiB of LAME VBR frames (-V 2 -t: no Xing frame): a minute of
    noise encoded once and repeated, each repetition starting on a frame."""
    path = os.path.join(folder, "vbr_no_header_100m.mp3")
    if os.path.exists(path):
        return path
    os.makedirs(folder, exist_ok=True)
    noise, minute = os.path.join(folder, "noise.wav"), os.path.join(folder, "minute.mp3")
    run("sox", "-n", "-r", "44100", "-c", "2", "-b", "16", noise, "synth", "60", "pinknoise", "vol", "0.3")
    run("lame", "--quiet", "-V", "2", "-t", noise, minute)
    with open(minute, "rb") as f:
        frames = f.read()
    with open(path + ".part", "wb") as f:
        for _ in range(100 * MIB // len(frames) + 1):
            f.write(frames)
    os.rename(path + ".part", path)
    return path


def drop_from_cache(path):
    with open(path, "rb") as f:
        os.fsync(f.fileno())
        os.posix_fadvise(f.fileno(), 0, 0, os.POSIX_FADV_DONTNEED)


def scan_figures(native, path, runs):
    program = os.path.join(native, "bench", "frame_scan")
    figures = {}
    for cold in (True, False):
        for mode in ("floor", "scan"):
            rates = []
            for _ in range(runs):
                if cold:
                    drop_from_cache(path)
                done = subprocess.run([program, mode, path], check=True, capture_output=True, text=True)
                line = parse_line(done.stdout.splitlines()[0])
                rates.append(float(line["mb_per_second"]))
            figures[(mode, cold)] = median(rates)
    frames = subprocess.run([program, "scan", path], check=True, capture_output=True, text=True).stdout
    return figures, frames.splitlines()[-1]


def corpus_figures(native, corpus, runs):
    listing = os.path.join(corpus, "small.lst")
    program = os.path.join(native, "bench", "inspect_rate")
    per_reader = {}
    for _ in range(runs):
        done = subprocess.run([program, listing, "1"], check=True, capture_output=True, text=True)
        for line in done.stdout.splitlines():
            fields = dict(field.split("=", 1) for field in line.split())
            per_reader.setdefault(fields["reader"], []).append(float(fields["us_per_file"]))
            files = int(fields["files"])
    return {reader: median(values) for reader, values in per_reader.items()}, files


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--append")
    args = parser.parse_args()

    stream = vbr_without_header(os.path.join(args.corpus, "inspect"))
    scan, counted = scan_figures(args.native, stream, args.runs)
    per_file, files = corpus_figures(args.native, args.corpus, args.runs)

    lines = ["## The inspection (`vomtrail info`)", "",
             "Median of %d runs. `info --json` per file on the %d small files of the corpus (the whole "
             "reading: the inspection, GetInfo, the report as JSON), without and with the ID3v2/APEv2 "
             "texts read, beside GetInfo alone:" % (args.runs, files), "",
             "| reader | µs per file |", "|---|---|"]
    for reader, words in (("getinfo", "GetInfo (the module)"), ("inspection", "the inspection alone (no report)"),
                          ("info_without_tag_texts", "info, tags' texts not read"), ("info", "info")):
        lines.append("| %s | %.1f |" % (words, per_file[reader]))
    size = os.path.getsize(stream)
    lines += ["", "Counting the frames of a %.0f MiB VBR stream without a frame-count header (%s), "
              "beside reading the same file in the same 4 MiB blocks:" % (size / MIB, counted), "",
              "| | cold (from the disk) | warm (page cache) |", "|---|---|---|",
              "| read only | %.0f MB/s | %.0f MB/s |" % (scan[("floor", True)], scan[("floor", False)]),
              "| probe and frame count | %.0f MB/s | %.0f MB/s |" % (scan[("scan", True)], scan[("scan", False)]),
              ""]
    text = "\n".join(lines)
    print(text)
    if args.append:
        with open(args.append, "a") as f:
            f.write("\n" + text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
