"""SetInfo per write mode on large and sparse files, and GetInfo on files
whose first frame or data chunk stands far from the start.

Usage: run_edit_benchmarks.py --native BUILD --corpus DIR [--runs N]
                              [--append FILE] [--sparse-gib G] [--moving-gib G]
                              [--only-moving]

Runs on the corpus that make_corpus.py built (its seeds, its small files and
its 10 and 100 MiB files) and adds its own files under DIR/edit. Prints one
line a figure; with --append, adds a Markdown section to FILE. Nothing fails
on a number: the targets are printed beside the figures."""
import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile

from run_benchmarks import median, parse_line, run_measured

MIB = 1 << 20


# --- Files -------------------------------------------------------------------

def run(*args):
    subprocess.run(args, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def copy_sparse(source, target):
    # cp keeps the holes; shutil would write them out as zeros.
    run("cp", "--sparse=always", source, target)


def make_sparse_bare(frames, size, path):
    """size bytes: a megabyte of frames, a hole, a megabyte of frames and an
    ID3v1 block; only the ends take disk blocks."""
    head = (frames * (MIB // len(frames) + 1))[:MIB]
    block = bytearray(128)
    block[0:3] = b"TAG"
    block[3:15] = b"Sparse title"
    with open(path, "wb") as f:
        f.write(head)
        f.truncate(size - len(head) - 128)
        f.seek(size - len(head) - 128)
        f.write(head)
        f.write(block)


def make_sparse_wave(wave_large, size, path):
    """A WAVE file of size bytes whose audio is mostly a hole."""
    with open(wave_large, "rb") as f:
        start = f.read(MIB)
    data_at = start.index(b"data", 12)
    head = bytearray(start[:data_at + 8])
    audio = size - len(head)
    audio &= ~1
    head[data_at + 4:data_at + 8] = audio.to_bytes(4, "little")
    head[4:8] = (len(head) + audio - 8).to_bytes(4, "little")
    with open(path, "wb") as f:
        f.write(head)
        f.write(start[len(head):])
        f.truncate(len(head) + audio)


def junk(count, avoid, seed):
    """count pseudo-random bytes in which the scans find no match: no byte
    in avoid, or for the WAVE search no 'd' directly before an 'a'."""
    rng = random.Random(seed)
    data = bytearray(rng.getrandbits(8) for _ in range(count))
    if avoid == "sync":
        data = data.replace(b"\xff", b"\xfe")
    else:
        data = bytearray(re.sub(rb"d(?=a)", b"e", bytes(data)))
    return bytes(data)


def make_long_head_files(seeds, out_dir, count):
    """count WAVE files with a 256 KiB chunk before "data", and count MPEG
    files with 1 MiB of junk between an empty ID3v2 tag and the first frame
    (a bare stream is taken to start at offset 0, so junk is only scanned
    behind a tag)."""
    with open(os.path.join(seeds, "wave.wav"), "rb") as f:
        wave = f.read()
    with open(os.path.join(seeds, "bare_cbr_id3v1.mp3"), "rb") as f:
        bare = f.read()
    data_at = wave.index(b"data", 12)
    chunk = b"junk" + (256 * 1024).to_bytes(4, "little") + junk(256 * 1024, "wave", 1)
    long_wave = bytearray(wave[:data_at] + chunk + wave[data_at:])
    long_wave[4:8] = (len(long_wave) - 8).to_bytes(4, "little")
    long_bare = b"ID3\x03\x00\x00\x00\x00\x00\x00" + junk(MIB, "sync", 2) + bare
    os.makedirs(out_dir, exist_ok=True)
    paths = []
    for i in range(count):
        for name, data in (("long_head_%04d.wav" % i, long_wave), ("long_junk_%04d.mp3" % i, long_bare)):
            path = os.path.join(out_dir, name)
            with open(path, "wb") as f:
                f.write(data)
            paths.append(path)
    return paths


# --- SetInfo -------------------------------------------------------------------

def disk_blocks(path):
    return os.stat(path).st_blocks * 512


def bench_setinfo(native, corpus, runs, sparse_gib):
    bench = os.path.join(native, "bench")
    setinfo = os.path.join(bench, "setinfo_run")
    taglib = os.path.join(bench, "taglib_save")
    have_taglib = os.path.exists(taglib)
    work = os.path.join(corpus, "edit", "work")
    os.makedirs(work, exist_ok=True)
    with open(os.path.join(corpus, "seeds", "frames.mp3"), "rb") as f:
        frames = f.read()[:-128]

    sources = {}
    for mib in (10, 100):
        sources[(mib, "bare")] = os.path.join(corpus, "large", "bare_%dm.mp3" % mib)
        sources[(mib, "wave")] = os.path.join(corpus, "large", "wave_%dm.wav" % mib)
    sparse_size = int(sparse_gib * (1 << 30))
    sparse_label = "%.1f GB sparse" % (sparse_size / 1e9)
    sources[(sparse_label, "bare")] = os.path.join(corpus, "edit", "sparse.mp3")
    sources[(sparse_label, "wave")] = os.path.join(corpus, "edit", "sparse.wav")
    if not os.path.exists(sources[(sparse_label, "bare")]):
        make_sparse_bare(frames, sparse_size, sources[(sparse_label, "bare")])
        make_sparse_wave(sources[(100, "wave")], sparse_size, sources[(sparse_label, "wave")])
    for size in (10, 100, sparse_label):
        rmp3 = os.path.join(corpus, "edit", "rmp3_%s.rmp" % str(size).split()[0])
        sources[(size, "rmp3")] = rmp3
        if not os.path.exists(rmp3):
            if size == sparse_label:
                # Made by hand, keeping the holes: mode 1 would fill them.
                make_sparse_rmp3(sources[(size, "bare")], rmp3)
            else:
                copy_sparse(sources[(size, "bare")], rmp3)
                run(setinfo, "1", rmp3)

    # (size, what, source kind, command, program, in place)
    cases = []
    for size in (10, 100, sparse_label):
        moving = size != sparse_label  # the moving writes of large files have a section of their own
        if moving:
            cases.append((size, "floor: copy to a new file, flush", "bare", [setinfo, "copy"], True))
        cases.append((size, "mode 0, bare stays bare (in place)", "bare", [setinfo, "0"], True))
        cases.append((size, "mode 1, RMP3 stays RMP3 (in place)", "rmp3", [setinfo, "1"], True))
        cases.append((size, "mode 2, WAVE keeps its form (in place)", "wave", [setinfo, "2"], True))
        if moving:
            cases.append((size, "mode 1, bare to RMP3 (moves)", "bare", [setinfo, "1"], False))
            cases.append((size, "mode 0, RMP3 to bare (moves)", "rmp3", [setinfo, "0"], False))
            cases.append((size, "mode 0, WAVE to bare (moves)", "wave", [setinfo, "0"], False))
        if have_taglib:
            cases.append((size, "TagLib save ID3v1", "bare", [taglib], True))

    rows = []
    for size, what, kind, command, in_place in cases:
        source = sources[(size, kind)]
        target = os.path.join(work, os.path.basename(source))
        seconds, peaks = [], []
        copy_sparse(source, target)
        blocks_before = disk_blocks(target)
        for _ in range(runs):
            if not in_place:
                copy_sparse(source, target)  # the moving modes change the file's form
                os.sync()  # the copy's own writes are not the edit's to flush
            result, peak_kib = run_measured(command + [target])
            seconds.append(float(result["seconds"]))
            peaks.append(peak_kib)
        row = {"size": size, "what": what, "ms": median(seconds) * 1e3, "peak_mib": median(peaks) / 1024,
               "file_mib": os.path.getsize(target) / MIB, "blocks_before_mib": blocks_before / MIB,
               "blocks_after_mib": disk_blocks(target) / MIB}
        rows.append(row)
        print("setinfo %-14s %-40s %9.2f ms  peak %7.1f MiB  file %8.1f MiB  on disk %7.1f -> %7.1f MiB" % (
            size if isinstance(size, str) else "%d MiB" % size, what, row["ms"], row["peak_mib"],
            row["file_mib"], row["blocks_before_mib"], row["blocks_after_mib"]), flush=True)
        os.remove(target)
    return rows


def bench_moving(native, corpus, runs, gib):
    """Writes that move the audio, through a new file beside the old one,
    against the floor that copies the file into a new one and flushes it:
    mode 1 on a bare file, mode 0 on an RMP3 file, of 100 MiB and of gib
    GiB (sparse: a megabyte of frames at each end). Peak memory is given as
    growth over the program's own footprint."""
    setinfo = os.path.join(native, "bench", "setinfo_run")
    work = os.path.join(corpus, "edit", "moving")
    os.makedirs(work, exist_ok=True)
    with open(os.path.join(corpus, "seeds", "frames.mp3"), "rb") as f:
        frames = f.read()[:-128]
    idle = median(run_measured([setinfo, "idle", "-"])[1] for _ in range(3))
    label = "%g GiB sparse" % gib
    bare = {"100 MiB": os.path.join(corpus, "large", "bare_100m.mp3"),
            label: os.path.join(work, "bare_%gg.mp3" % gib)}
    if not os.path.exists(bare[label]):
        make_sparse_bare(frames, int(gib * (1 << 30)), bare[label])
    rows = []
    for size, source in bare.items():
        rmp3 = os.path.join(work, "source_%s.rmp" % size.split()[0])
        if not os.path.exists(rmp3):
            make_sparse_rmp3(source, rmp3)
        figures = {}
        for what, kind, command in (("floor: copy to a new file, flush", "bare", [setinfo, "copy"]),
                                    ("copy, flush, rename over, free the old", "bare", [setinfo, "replace"]),
                                    ("mode 1, bare to RMP3", "bare", [setinfo, "1"]),
                                    ("floor: copy to a new file, flush", "rmp3", [setinfo, "copy"]),
                                    ("copy, flush, rename over, free the old", "rmp3", [setinfo, "replace"]),
                                    ("mode 0, RMP3 to bare", "rmp3", [setinfo, "0"])):
            origin = source if kind == "bare" else rmp3
            target = os.path.join(work, "target." + kind)
            seconds, peaks = [], []
            for _ in range(runs):
                copy_sparse(origin, target)
                os.sync()  # the copy's own writes are not the edit's to flush
                result, peak_kib = run_measured(command + [target])
                seconds.append(float(result["seconds"]))
                peaks.append(peak_kib)
            os.remove(target)
            ms, growth = median(seconds) * 1e3, (median(peaks) - idle) / 1024
            floor, replace = figures.get(kind), figures.get(kind + " replace")
            figures.setdefault(kind if command[1] == "copy" else kind + " replace", ms)
            row = {"size": size, "what": what, "from": kind, "ms": ms, "growth_mib": growth,
                   "ratio": ms / floor if floor else None,
                   "replace_ratio": ms / replace if replace and command[1] not in ("copy", "replace") else None}
            rows.append(row)
            print("moving  %-14s %-40s %-5s %9.1f ms  peak growth %6.1f MiB%s%s" % (
                size, what, kind, ms, growth, "  %.2fx the floor" % row["ratio"] if floor else "",
                "  %.2fx copy+rename" % row["replace_ratio"] if row["replace_ratio"] else ""), flush=True)
    return rows


def make_sparse_rmp3(bare, path):
    """An RMP3 file whose data chunk holds the bare file's bytes but its
    last 128 (the ID3v1 block, which follows as an old tag would), made
    without filling the bare file's holes: only its data segments are
    copied, 20 bytes further on."""
    size = os.path.getsize(bare)
    audio = size - 128
    head = b"RIFF" + (20 + size - 8).to_bytes(4, "little") + b"RMP3data" + audio.to_bytes(4, "little")
    with open(bare, "rb") as src, open(path, "wb") as out:
        out.write(head)
        at = 0
        while at < size:
            try:
                at = os.lseek(src.fileno(), at, os.SEEK_DATA)
            except OSError:
                break  # only a hole is left
            end = os.lseek(src.fileno(), at, os.SEEK_HOLE)
            src.seek(at)
            out.seek(20 + at)
            while at < end:
                chunk = src.read(min(MIB, end - at))
                out.write(chunk)
                at += len(chunk)
        out.truncate(20 + size)


# --- GetInfo -----------------------------------------------------------------

def bench_getinfo(native, corpus, runs, long_count):
    bench = os.path.join(native, "bench")
    small = [l for l in open(os.path.join(corpus, "small.lst")).read().splitlines() if l]
    long_files = make_long_head_files(os.path.join(corpus, "seeds"), os.path.join(corpus, "edit", "long"),
                                      long_count)
    tmp = tempfile.mkdtemp(prefix="vt-edit-bench-")
    lists = {"corpus without long heads": small,
             "corpus with %d long-head files" % len(long_files): small + long_files,
             "WAVE, 256 KiB chunk before data": [p for p in long_files if p.endswith(".wav")],
             "ID3v2 + 1 MiB junk before the frame": [p for p in long_files if p.endswith(".mp3")]}
    # Mix the long files in, as a real folder would.
    mixed = list(lists.values())[1]
    mixed.sort(key=lambda p: (os.path.basename(p).rsplit("_", 1)[1], p))
    paths = {}
    for name, files in lists.items():
        paths[name] = os.path.join(tmp, re.sub(r"\W+", "_", name) + ".lst")
        with open(paths[name], "w") as f:
            f.write("".join(p + "\n" for p in files))
    readers = {"module": os.path.join(bench, "module_reader"), "floor": os.path.join(bench, "floor_reader")}
    for program in readers.values():  # warm the page cache
        for lst in paths.values():
            subprocess.run([program, lst, "1"], check=True, capture_output=True)
    samples = {(r, n): [] for r in readers for n in lists}
    for _ in range(runs):
        for r, program in readers.items():
            for name, lst in paths.items():
                rounds = "10" if "corpus" in name else "50"
                result = parse_line(subprocess.run([program, lst, rounds], check=True, capture_output=True,
                                                   text=True).stdout)
                samples[(r, name)].append(float(result["files_per_second"]))
    rows = []
    for name in lists:
        module = median(samples[("module", name)])
        floor = median(samples[("floor", name)])
        rows.append({"files": name, "count": len(lists[name]), "module_us": 1e6 / module,
                     "floor_us": 1e6 / floor, "ratio": floor / module})
        print("getinfo %-40s %5d files  module %8.2f us/file  floor %7.2f us/file  module/floor %.2f" % (
            name, len(lists[name]), 1e6 / module, 1e6 / floor, floor / module), flush=True)
    shutil.rmtree(tmp)
    return rows


# --- Report ------------------------------------------------------------------

def report(setinfo_rows, moving_rows, getinfo_rows, runs, command):
    lines = []
    add = lines.append
    add("")
    add("## Writes that move the audio, through a new file")
    add("")
    add("Made by `%s`; median of %d runs; time of the SetInfo call alone, from opening the file to the "
        "flush of its folder; the floor copies the file into a new file beside it (`copy_file_range`, as the "
        "module does) and flushes it (`bench/setinfo_run copy`). Peak memory growth: the child's `ru_maxrss` "
        "less the program's own footprint. Each run starts from a fresh copy, flushed before the timing. "
        "A second floor also renames the copy over the file and closes the old one, which frees its blocks: "
        "what any save through a new file costs beyond the copy. "
        "Targets: within 1.1x the floor, within 8 MiB of growth." % (command, runs))
    add("")
    add("| file | from | what | ms | x floor | x copy+rename | peak growth MiB |")
    add("|---|---|---|---:|---:|---:|---:|")
    for r in moving_rows:
        add("| %s | %s | %s | %.1f | %s | %s | %.1f |" % (
            r["size"], r["from"], r["what"], r["ms"], "%.2f" % r["ratio"] if r["ratio"] else "",
            "%.2f" % r["replace_ratio"] if r.get("replace_ratio") else "", r["growth_mib"]))
    add("")
    add("## SetInfo per write mode, and edits in place")
    add("")
    add("Made by `%s`; median of %d runs; time of the SetInfo call alone (`bench/setinfo_run`), TagLib's "
        "from opening to the end of its save (`bench/taglib_save`); peak memory is the child's `ru_maxrss`, "
        "program included (about 2.6 MiB for `setinfo_run` with no call). Modes that keep the audio where "
        "it is write only the new bytes and flush the file; modes that move it write a new file beside the "
        "old one, flush it and put it in the old one's place (the section above has them on large files). "
        "Targets: in place within 2x TagLib's save and within 8 MiB of peak memory at every size; moving "
        "modes within 1.1x the copy floor. The sparse files hold a hole of nearly their whole size." %
        (command, runs))
    add("")
    add("| file | what | ms | peak MiB | file MiB | on disk before MiB | on disk after MiB |")
    add("|---|---|---:|---:|---:|---:|---:|")
    for r in setinfo_rows:
        size = r["size"] if isinstance(r["size"], str) else "%d MiB" % r["size"]
        add("| %s | %s | %.2f | %.1f | %.1f | %.1f | %.1f |" % (size, r["what"], r["ms"], r["peak_mib"],
                                                             r["file_mib"], r["blocks_before_mib"],
                                                             r["blocks_after_mib"]))
    add("")
    add("## GetInfo where the frame or the data chunk stands far from the start")
    add("")
    add("`bench/module_reader` against `bench/floor_reader` (open, 4 KiB + 128 bytes, close) over file lists; "
        "µs per file, median of %d runs. Target: the corpus with the long-head files within 1.2x the floor."
        % runs)
    add("")
    add("| files | count | module µs/file | floor µs/file | module / floor |")
    add("|---|---:|---:|---:|---:|")
    for r in getinfo_rows:
        add("| %s | %d | %.2f | %.2f | %.2f |" % (r["files"], r["count"], r["module_us"], r["floor_us"],
                                                r["ratio"]))
    add("")
    return "\n".join(lines)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--sparse-gib", type=float, default=1.77)  # 1.9 GB, below the 2 GiB limit
    parser.add_argument("--long-files", type=int, default=18)
    parser.add_argument("--moving-gib", type=float, default=1.0)
    parser.add_argument("--only-moving", action="store_true", help="the moving-write section alone")
    parser.add_argument("--append")
    parser.add_argument("--command", default="bash scripts/bench.sh")
    args = parser.parse_args()
    moving_rows = bench_moving(args.native, args.corpus, args.runs, args.moving_gib)
    if args.only_moving:
        return 0
    setinfo_rows = bench_setinfo(args.native, args.corpus, args.runs, args.sparse_gib)
    getinfo_rows = bench_getinfo(args.native, args.corpus, args.runs, args.long_files)
    text = report(setinfo_rows, moving_rows, getinfo_rows, args.runs, args.command)
    if args.append:
        with open(args.append, "a") as f:
            f.write(text)
    else:
        print(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
