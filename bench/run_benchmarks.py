"""Runs every benchmark on one corpus and writes the figures.

Usage: run_benchmarks.py --native BUILD --corpus DIR [--mingw BUILD] [--runs N]
                         [--results FILE] [--plot-data FILE]

Every figure is the median of --runs runs (the machine is shared and noisy).
Nothing fails on a number: the targets are printed beside the figures."""
import argparse
import datetime
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

PYTHON = "/usr/bin/python3"  # the Debian interpreter that has python3-mutagen
HERE = os.path.dirname(os.path.abspath(__file__))


def parse_line(text):
    """The key=value fields of the last result line a program printed."""
    lines = [l for l in text.splitlines() if "=" in l]
    if not lines:
        raise RuntimeError("no result line in: " + text)
    return dict(field.split("=", 1) for field in lines[-1].split())


def run_parsed(args, env=None):
    done = subprocess.run(args, check=True, capture_output=True, text=True, env=env)
    return parse_line(done.stdout)


def strace_calls(args, env=None):
    """Total system calls of a program and its children, from strace -c -f."""
    with tempfile.NamedTemporaryFile(suffix=".strace") as out:
        subprocess.run(["strace", "-c", "-f", "-o", out.name, *args], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        text = open(out.name).read()
    match = re.search(r"^[-\d.\s]*?\s(\d+)\s+(?:\d+\s+)?total$", text, re.M)
    if not match:
        raise RuntimeError("no strace total in: " + text)
    return int(match.group(1))


def calls_per_item(make_args, items, env=None):
    """System calls per file: a run over items against a run over one, so the
    program's start-up and shutdown cancel out."""
    many = strace_calls(make_args(items), env)
    one = strace_calls(make_args(1), env)
    return (many - one) / (items - 1)


def median(values):
    return statistics.median(values)


# --- GetInfo on one file, 100,000 times -------------------------------------

def bench_getinfo_calls(native, corpus, runs, calls):
    program = os.path.join(native, "bench", "getinfo_calls")
    files = [("bare MP3 (CBR, ID3v1)", "seeds/bare_cbr_id3v1.mp3"),
             ("ID3v2 + 1 MiB zero padding", "seeds/id3v2_pad1m.mp3"),
             ("WAVE holding MP3", "seeds/wave.wav")]
    rows = []
    for label, name in files:
        path = os.path.join(corpus, name)
        results = [run_parsed([program, path, str(calls)]) for _ in range(runs)]
        syscalls = calls_per_item(lambda n: [program, path, str(n)], 300)
        rows.append({
            "file": label,
            "calls_per_second": median(float(r["calls_per_second"]) for r in results),
            "us_per_call": median(float(r["us_per_call"]) for r in results),
            "reads_per_call": float(results[0]["reads_per_call"]),
            "bytes_per_call": float(results[0]["bytes_read_per_call"]),
            "syscalls_per_call": syscalls,
        })
        print("getinfo_calls %-28s %9.0f calls/s  %.2f reads/call  %.1f syscalls/call"
              % (label, rows[-1]["calls_per_second"], rows[-1]["reads_per_call"], syscalls), flush=True)
    return rows


# --- GetInfo over the corpus, reader against reader --------------------------

def corpus_readers(native, mingw):
    bench = os.path.join(native, "bench")
    readers = [("module", "Vomtrail (native)", lambda lst, r: [os.path.join(bench, "module_reader"), lst, str(r)]),
               ("floor", "floor: open, 4 KiB + 128 B, close",
                lambda lst, r: [os.path.join(bench, "floor_reader"), lst, str(r)])]
    if os.path.exists(os.path.join(bench, "taglib_reader")):
        readers.append(("taglib", "TagLib", lambda lst, r: [os.path.join(bench, "taglib_reader"), lst, str(r)]))
    readers.append(("mutagen", "mutagen", lambda lst, r: [PYTHON, os.path.join(HERE, "mutagen_reader.py"), lst, str(r)]))
    if mingw:
        exe = os.path.join(mingw, "bench", "wine_reader.exe")
        dll = os.path.join(mingw, "Vomtrail.dll")
        if os.path.exists(exe) and os.path.exists(dll) and shutil.which("wine"):
            readers.append(("wine", "Vomtrail.dll under Wine",
                            lambda lst, r: ["wine", exe, dll, lst, str(r)]))
            readers.append(("wine-floor", "floor under Wine (Win32 calls)",
                            lambda lst, r: ["wine", exe, "floor", lst, str(r)]))
    return readers


def bench_corpus(native, mingw, corpus, runs):
    full = os.path.join(corpus, "small.lst")
    paths = [l for l in open(full).read().splitlines() if l]
    kinds = {"bare MPEG (no RIFF)": [p for p in paths if not p.endswith((".wav", ".rmp"))],
             "RIFF (RMP3, WAVE)": [p for p in paths if p.endswith((".wav", ".rmp"))]}
    lists = {}
    tmp = tempfile.mkdtemp(prefix="vt-bench-")
    for name, subset in [("all", paths)] + list(kinds.items()):
        lists[name] = os.path.join(tmp, re.sub(r"\W+", "_", name) + ".lst")
        with open(lists[name], "w") as f:
            f.write("".join(p + "\n" for p in subset))
    with open(os.path.join(tmp, "one.lst"), "w") as f:
        f.write(paths[0] + "\n")
    one = os.path.join(tmp, "one.lst")

    readers = corpus_readers(native, mingw)

    def env_for(key):
        return dict(os.environ) if key.startswith("wine") else None

    def rounds_for(key):
        # About half a second a run for the fast readers; mutagen and Wine
        # are slow enough with one or three passes.
        return {"mutagen": 1, "wine": 3, "wine-floor": 3}.get(key, 10)

    for key, _, make in readers:  # warm the page cache and each program's own caches
        subprocess.run(make(full, 1), check=True, capture_output=True, env=env_for(key))
    # Runs are interleaved (every reader once, then again), so a burst of load
    # from someone else's build slows every reader alike instead of one.
    samples = {(key, name): [] for key, _, _ in readers for name in lists}
    for _ in range(runs):
        for key, _, make in readers:
            for name, lst in lists.items():
                result = run_parsed(make(lst, rounds_for(key)), env_for(key))
                samples[(key, name)].append(float(result["files_per_second"]))

    rows = []
    for key, label, make in readers:
        rates = {name: median(samples[(key, name)]) for name in lists}
        syscalls = None
        if not key.startswith("wine"):  # Wine's own server traffic would swamp the count
            total_many = strace_calls(make(full, 1))
            total_one = strace_calls(make(one, 1))
            syscalls = (total_many - total_one) / (len(paths) - 1)
        rows.append({"key": key, "reader": label, "files_per_second": rates["all"],
                     "by_kind": {k: rates[k] for k in kinds}, "syscalls_per_file": syscalls})
        print("corpus %-36s %9.0f files/s  %s syscalls/file  %s" % (
            label, rates["all"], "n/a" if syscalls is None else "%.1f" % syscalls,
            "  ".join("%s %.0f" % (k, v) for k, v in rows[-1]["by_kind"].items())), flush=True)
    shutil.rmtree(tmp)
    return rows, len(paths)


# --- SetInfo on the large files ----------------------------------------------

def run_measured(args):
    """Runs one child under GNU time and returns its result line and its peak
    resident set in KiB. GNU time forks from its own small process: a child
    forked from this Python interpreter would report the interpreter's
    footprint as its peak."""
    with tempfile.NamedTemporaryFile(suffix=".time", mode="r") as usage:
        done = subprocess.run(["/usr/bin/time", "-f", "maxrss_kib=%M", "-o", usage.name, *args],
                              capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError("%s failed: %s" % (" ".join(args), done.stderr))
        peak = int(parse_line(usage.read())["maxrss_kib"])
    return parse_line(done.stdout), peak


def bench_setinfo(native, corpus, runs):
    bench = os.path.join(native, "bench")
    setinfo = os.path.join(bench, "setinfo_run")
    taglib = os.path.join(bench, "taglib_save")
    work_dir = os.path.join(corpus, "work")
    os.makedirs(work_dir, exist_ok=True)

    idle = {"setinfo_run": median(run_measured([setinfo, "idle", "-"])[1] for _ in range(3))}
    if os.path.exists(taglib):
        idle["taglib_save"] = median(run_measured([taglib, "idle"])[1] for _ in range(3))

    cases = []
    for mib in (10, 100):
        bare = os.path.join(corpus, "large", "bare_%dm.mp3" % mib)
        wave = os.path.join(corpus, "large", "wave_%dm.wav" % mib)
        cases += [(mib, "floor: read all, write back", bare, [setinfo, "floor"], "setinfo_run"),
                  (mib, "SetInfo mode 0 (bare + ID3v1)", bare, [setinfo, "0"], "setinfo_run"),
                  (mib, "SetInfo mode 1 (bare to RMP3)", bare, [setinfo, "1"], "setinfo_run"),
                  (mib, "floor on the WAVE file", wave, [setinfo, "floor"], "setinfo_run"),
                  (mib, "SetInfo mode 2 (WAVE + tag chunks)", wave, [setinfo, "2"], "setinfo_run")]
        if os.path.exists(taglib):
            cases.append((mib, "TagLib save ID3v1", bare, [taglib], "taglib_save"))

    rows = []
    for mib, label, source, command, program in cases:
        target = os.path.join(work_dir, os.path.basename(source))
        seconds, peaks, new_size = [], [], 0
        for _ in range(runs):
            shutil.copyfile(source, target)  # every run starts from the same file, cached
            result, peak_kib = run_measured(command + [target])
            seconds.append(float(result["seconds"]))
            peaks.append(peak_kib)
            new_size = os.path.getsize(target)
        rows.append({"mib": mib, "what": label, "seconds": median(seconds), "peak_kib": median(peaks),
                     "idle_kib": idle[program], "new_size": new_size})
        print("setinfo %3d MiB %-36s %8.1f ms  peak %7.1f MiB (program alone %.1f MiB)  new file %.3f MiB"
              % (mib, label, rows[-1]["seconds"] * 1e3, rows[-1]["peak_kib"] / 1024, idle[program] / 1024,
                 new_size / 1048576), flush=True)
        os.remove(target)
    return rows


# --- Report ------------------------------------------------------------------

def write_results(path, plot_data, command, calls, calls_rows, corpus_rows, corpus_files, setinfo_rows, runs,
                  wine_not_measured=None):
    def ratio_text(a, b):
        return "%.2f" % (a / b) if b else "n/a"

    module = next(r for r in corpus_rows if r["key"] == "module")
    floor = next(r for r in corpus_rows if r["key"] == "floor")
    lines = []
    add = lines.append
    add("# Benchmark results")
    add("")
    add("Made by `%s` on %s." % (command, datetime.date.today().isoformat()))
    add("")
    add("Machine: %s, %d cores (%s), shared with other engineers building and fuzzing at the same time, "
        "so every figure is noisy. Each figure is the median of %d runs. Files are read from the page cache "
        "(every reader gets a warm-up pass first); no figure includes disk latency."
        % (platform.platform(), os.cpu_count() or 0, cpu_name(), runs))
    add("")
    add("## GetInfo on one file, %d calls" % calls)
    add("")
    add("`bench/getinfo_calls` through a counting file layer; system calls from `strace -c -f` "
        "(300 calls against 1, so start-up cancels out).")
    add("")
    add("| file | calls/s | µs/call | reads/call | bytes read/call | system calls/call |")
    add("|---|---:|---:|---:|---:|---:|")
    for r in calls_rows:
        add("| %s | %.0f | %.2f | %.2f | %.0f | %.1f |" % (r["file"], r["calls_per_second"], r["us_per_call"],
                                                      r["reads_per_call"], r["bytes_per_call"], r["syscalls_per_call"]))
    add("")
    add("## GetInfo over the corpus: %d small files of every container" % corpus_files)
    add("")
    add("Bare CBR and VBR MP3 with ID3v1, ID3v2, both; RIFF RMP3 written by the module's SetInfo mode 1; "
        "WAVE holding MP3 from ffmpeg. Time ratio = the reader's time per file / the module's "
        "(above 1: slower than the module). Target: the module within 1.5x the floor's time, ahead of every "
        "other reader.")
    add("")
    add("| reader | files/s | µs/file | time ratio to module | system calls/file | files/s, bare MPEG | files/s, RIFF |")
    add("|---|---:|---:|---:|---:|---:|---:|")
    kinds = list(module["by_kind"].keys())
    for r in corpus_rows:
        add("| %s | %.0f | %.1f | %s | %s | %.0f | %.0f |" % (
            r["reader"], r["files_per_second"], 1e6 / r["files_per_second"],
            ratio_text(module["files_per_second"], r["files_per_second"]),
            "n/a (Wine server traffic)" if r["syscalls_per_file"] is None else "%.1f" % r["syscalls_per_file"],
            r["by_kind"][kinds[0]], r["by_kind"][kinds[1]]))
    if wine_not_measured:
        for reader in ("Vomtrail.dll under Wine", "floor under Wine (Win32 calls)"):
            add("| %s | not measured: %s | | | | | |" % (reader, wine_not_measured))
    add("")
    add("Module time / floor time: **%.2f** over the whole corpus (target ≤ 1.5); %.2f on bare MPEG files, "
        "%.2f on RIFF files." % (floor["files_per_second"] / module["files_per_second"],
                                 floor["by_kind"][kinds[0]] / module["by_kind"][kinds[0]],
                                 floor["by_kind"][kinds[1]] / module["by_kind"][kinds[1]]))
    wine = next((r for r in corpus_rows if r["key"] == "wine"), None)
    wine_floor = next((r for r in corpus_rows if r["key"] == "wine-floor"), None)
    if wine and wine_floor:
        add("")
        add("Under Wine, the DLL's time / the Win32 floor's time: **%.2f** (%.2f bare MPEG, %.2f RIFF). Wine's "
            "own file layer (every open and close is a round trip to the Wine server) sets the pace there, "
            "which is why both Wine rows are slower than the native ones."
            % (wine_floor["files_per_second"] / wine["files_per_second"],
               wine_floor["by_kind"][kinds[0]] / wine["by_kind"][kinds[0]],
               wine_floor["by_kind"][kinds[1]] / wine["by_kind"][kinds[1]]))
    add("")
    add("![files per second by reader](getinfo_rate.png)")
    add("")
    add("## SetInfo on large files")
    add("")
    add("Time of the call alone (the record comes from a GetInfo before the clock starts); peak memory is the "
        "child process's `ru_maxrss`, which includes the program's own footprint (shown as 'program alone'). "
        "Each run starts from a fresh copy of the file in the page cache; nothing is synced to disk. "
        "Mode 0 on a bare file and mode 2 on a WAVE file keep the audio in place and write only the new "
        "bytes, as TagLib does for an ID3v1 tag; mode 1 on a bare file moves the audio and is held to 1.3x the "
        "read-and-write-back floor of the same file, peak memory ≤ new file size + 4 MiB. The section "
        "'SetInfo per write mode' below has every mode, a sparse file and the targets of the edits in place.")
    add("")
    add("| file | what | ms | time / floor | peak MiB | program alone MiB | new file MiB | peak - new file MiB |")
    add("|---|---|---:|---:|---:|---:|---:|---:|")
    for r in setinfo_rows:
        on_wave = "mode 2" in r["what"] or "WAVE" in r["what"]
        floor_label = "floor on the WAVE file" if on_wave else "floor: read all, write back"
        base = next(f for f in setinfo_rows if f["mib"] == r["mib"] and f["what"] == floor_label)
        add("| %d MiB | %s | %.1f | %.2f | %.1f | %.1f | %.3f | %.1f |" % (
            r["mib"], r["what"], r["seconds"] * 1e3, r["seconds"] / base["seconds"], r["peak_kib"] / 1024,
            r["idle_kib"] / 1024, r["new_size"] / 1048576, r["peak_kib"] / 1024 - r["new_size"] / 1048576)
            if "TagLib" not in r["what"] else
            "| %d MiB | %s | %.1f | %.3f | %.1f | %.1f | %.3f | n/a (patches in place) |" % (
                r["mib"], r["what"], r["seconds"] * 1e3, r["seconds"] / base["seconds"], r["peak_kib"] / 1024,
                r["idle_kib"] / 1024, r["new_size"] / 1048576))
    add("")
    with open(path, "w") as f:
        f.write("\n".join(lines))
    with open(plot_data, "w") as f:
        f.write("# reader\tfiles_per_second\n")
        for r in corpus_rows:
            f.write('"%s"\t%.0f\n' % (SHORT_NAMES.get(r["key"], r["key"]), r["files_per_second"]))


SHORT_NAMES = {"module": "Vomtrail", "floor": "floor", "taglib": "TagLib", "mutagen": "mutagen",
               "wine": "Vomtrail.dll, Wine", "wine-floor": "floor, Wine"}


def cpu_name():
    try:
        for line in open("/proc/cpuinfo"):
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "unknown CPU"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--native", required=True)
    parser.add_argument("--corpus", required=True)
    parser.add_argument("--mingw")
    parser.add_argument("--wine-not-measured", metavar="REASON",
                        help="no Wine rows can be measured here; the table says why")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--calls", type=int, default=100000)
    parser.add_argument("--results", default=os.path.join(HERE, "RESULTS.md"))
    parser.add_argument("--plot-data", required=True)
    parser.add_argument("--command", default="bash scripts/bench.sh")
    args = parser.parse_args()

    calls_rows = bench_getinfo_calls(args.native, args.corpus, args.runs, args.calls)
    corpus_rows, corpus_files = bench_corpus(args.native, args.mingw, args.corpus, args.runs)
    setinfo_rows = bench_setinfo(args.native, args.corpus, args.runs)
    write_results(args.results, args.plot_data, args.command, args.calls, calls_rows, corpus_rows, corpus_files,
                  setinfo_rows, args.runs, args.wine_not_measured)
    return 0


if __name__ == "__main__":
    sys.exit(main())
