"""Scans of whole collections: `vomtrail info --json` on one thread and on
its default threads, beside exiftool, mediainfo, mutagen and ffprobe, over
folders of 10,000 and 100,000 small files, with a warm page cache and a
cold one. Writes its section of RESULTS.md and the data of its plot.

Usage: run_collection_benchmarks.py --native BUILD --out DIR [--counts 10000,100000]
           [--runs N] [--append RESULTS.md] [--plot-data FILE]

Cold: the page cache is dropped with /proc/sys/vm/drop_caches where the
machine allows it; elsewhere (a container) each file's cached pages are
dropped with posix_fadvise(DONTNEED), which leaves the folders and inodes
cached. Nothing fails on a number."""
import argparse
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PYTHON = "/usr/bin/python3"  # the Debian interpreter that has python3-mutagen
FFPROBE_SAMPLE = 300  # ffprobe starts once per file: a sample gives its rate


def files_below(folder):
    for parent, _, names in os.walk(folder):
        for name in sorted(names):
            yield os.path.join(parent, name)


def drop_cache(folder):
    """Drops the files' pages from the page cache; returns how."""
    os.sync()
    try:
        with open("/proc/sys/vm/drop_caches", "w") as f:
            f.write("3\n")
        return "drop_caches"
    except OSError:
        pass
    for path in files_below(folder):
        fd = os.open(path, os.O_RDONLY)
        try:
            os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
        finally:
            os.close(fd)
    return "fadvise"


def timed(command, cold, folder):
    if cold:
        drop_cache(folder)
    start = time.perf_counter()
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    elapsed = time.perf_counter() - start
    if done.returncode not in (0, 1):  # 1: some file failed, which a rate still counts
        raise RuntimeError("%s failed: %s" % (command[0], done.stderr.decode(errors="replace")[-400:]))
    return elapsed


def ffprobe_command(sample_list):
    script = 'while IFS= read -r f; do ffprobe -v error -show_format -show_streams -of json "$f"; done < "$1"'
    return ["bash", "-c", script, "ffprobe-loop", sample_list]


def readers(vomtrail, folder, sample_list):
    """(label in the table, short label in the plot, command, files it reads when a sample)."""
    return [
        ("vomtrail info --json, 1 thread", "vomtrail 1 thread", [vomtrail, "info", "--json", "--jobs", "1", folder],
         None),
        ("vomtrail info --json, default threads (4 per core)", "vomtrail threads",
         [vomtrail, "info", "--json", folder], None),
        ("exiftool -json -fast -r", "exiftool", ["exiftool", "-json", "-fast", "-r", folder], None),
        ("mediainfo --Output=JSON", "mediainfo", ["mediainfo", "--Output=JSON", folder], None),
        ("mutagen (mutagen.File per file)", "mutagen", [PYTHON, os.path.join(HERE, "mutagen_scan.py"), folder],
         None),
        ("ffprobe, one process per file", "ffprobe", ffprobe_command(sample_list), FFPROBE_SAMPLE),
    ]


def measure(vomtrail, folder, count, runs, slow_runs, only):
    sample_list = os.path.join(os.path.dirname(folder), "ffprobe-sample.lst")
    with open(sample_list, "w") as f:
        for i, path in enumerate(files_below(folder)):
            if i == FFPROBE_SAMPLE:
                break
            f.write(path + "\n")
    rows = []
    # One run first fills the page cache; a cold run leaves it filled again
    # for the next reader's warm runs (the collection fits in memory).
    timed([vomtrail, "info", "--json", folder], False, folder)
    for label, short, command, sample in readers(vomtrail, folder, sample_list):
        if only and not short.startswith(only):
            continue
        files = sample or count
        fast = label.startswith("vomtrail")
        figures = {}
        for cold in (False, True):
            times = [timed(command, cold, folder) for _ in range(runs if fast else slow_runs)]
            figures[cold] = files / statistics.median(times)
        rows.append((label, short, count, files, figures[False], figures[True]))
        print("%-40s %7d files  warm %9.0f files/s  cold %9.0f files/s" % (label, count, figures[False],
                                                                           figures[True]), flush=True)
    return rows


def report(rows, runs, slow_runs, how_cold, command):
    lines = ["", "## Scanning whole collections", "",
             "Files per second over folders of small files (1 s of audio each, 100 to an album folder: bare CBR "
             "MP3 with ID3v1, VBR MP3 with ID3v2 and ID3v1, WAVE holding MP3 with LIST INFO, RIFF RMP3), "
             "output to /dev/null, wall time of the whole command. Median of %d runs for vomtrail, %d for the "
             "other readers. ffprobe starts once per file, so its rate comes from the first %d files. Cold: %s."
             % (runs, slow_runs, FFPROBE_SAMPLE,
                "the page cache dropped with /proc/sys/vm/drop_caches" if how_cold == "drop_caches" else
                "this machine does not allow /proc/sys/vm/drop_caches (a container), so each file's cached "
                "pages were dropped with posix_fadvise(POSIX_FADV_DONTNEED) before the run; folders and "
                "inodes stay cached, and the disk is a virtual one whose host may cache it"),
             "", "| reader | files | warm: files/s | cold: files/s |", "| --- | ---: | ---: | ---: |"]
    for label, _, count, files, warm, cold in rows:
        shown = "%d" % count if files == count else "%d (rate of %d)" % (count, files)
        lines.append("| %s | %s | %.0f | %.0f |" % (label, shown, warm, cold))
    lines += ["", "Made by `%s`; plot: `bench/collection_scan.png`." % command, ""]
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--counts", default="10000,100000")
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--slow-runs", type=int, default=1)
    parser.add_argument("--append")
    parser.add_argument("--plot-data")
    parser.add_argument("--only", help="measure only the readers whose plot label starts so, e.g. vomtrail")
    args = parser.parse_args()
    vomtrail = os.path.abspath(os.path.join(args.native, "host", "vomtrail"))
    setinfo_run = os.path.join(args.native, "bench", "setinfo_run")
    rows = []
    for count in (int(c) for c in args.counts.split(",")):
        out = os.path.join(args.out, str(count))
        subprocess.run([PYTHON, os.path.join(HERE, "make_collection.py"), out, str(count), setinfo_run], check=True)
        rows += measure(vomtrail, os.path.join(out, "files"), count, args.runs, args.slow_runs, args.only)
    how_cold = drop_cache(os.path.join(args.out, str(rows[0][2]), "files"))
    command = "python3 bench/run_collection_benchmarks.py " + " ".join(sys.argv[1:])
    text = report(rows, args.runs, args.slow_runs, how_cold, command)
    print(text)
    if args.append:
        with open(args.append, "a") as f:
            f.write(text)
    if args.plot_data:
        with open(args.plot_data, "w") as f:
            for _, short, count, _, warm, cold in rows:
                f.write('"%s, %dk files" %.0f %.0f\n' % (short, count // 1000, warm, cold))
    return 0


if __name__ == "__main__":
    sys.exit(main())
