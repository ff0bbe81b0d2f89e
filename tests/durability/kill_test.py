"""The kill test: `vomtrail set` killed with SIGKILL in the middle of every
kind of write, on files of 3 MiB made of the frames of the samples that
lame and ffmpeg made.

For each form of write, the command is killed at moments spread over its
run and, under strace, right before each write, rename, flush, cut and
copy system call in turn. After each kill:

- a write that moves the audio (a conversion) must have left the old file
  or the new one, byte for byte; a new file it was making may be left
  beside it only when the old file stands, and the next run of the same
  command must then remove it;
- a write in place must have left the old file, the new one, or a file that
  the same command run again turns into exactly the new one.

Any other outcome is a loss. Zero losses is the only pass.

Environment: VOMTRAIL (the command), VOMTRAIL_SAMPLES (the samples
folder), VOMTRAIL_EMULATOR (wine, for the Windows build: time-spread kills
only, fewer of them, one form of each kind), KILL_TIME_POINTS
(kills spread over the run, per form). --report prints the counts and exits
0 whatever they are (for measuring an older build)."""
import argparse
import glob
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

VOMTRAIL = os.environ.get("VOMTRAIL", "vomtrail")
SAMPLES = os.environ.get("VOMTRAIL_SAMPLES", os.path.join(os.path.dirname(__file__), "..", "..", "samples"))
EMULATOR = os.environ.get("VOMTRAIL_EMULATOR", "")
TIME_POINTS = int(os.environ.get("KILL_TIME_POINTS", "4" if EMULATOR else "40"))
# The system calls at which strace kills, each invocation in turn.
SYSCALLS = ["write", "pwrite64", "copy_file_range", "fallocate", "ftruncate", "fsync", "fdatasync", "rename",
            "renameat", "renameat2", "unlinkat", "fchown", "fchmod", "fsetxattr"]
# At most this many invocations of one system call are tried, spread over
# all of them (a write through memory has hundreds).
MOST_PER_SYSCALL = 24
LONG_TEXT = "A long comment that the next edit makes shorter, " * 4
# The sanitizer build's leak check cannot run under ptrace (strace); every
# other check of that build stays on.
os.environ["ASAN_OPTIONS"] = ":".join(filter(None, [os.environ.get("ASAN_OPTIONS", ""), "detect_leaks=0"]))


def command(args):
    return ([EMULATOR] if EMULATOR else []) + [VOMTRAIL] + [str(a) for a in args]


def vomtrail(*args):
    return subprocess.run(command(args), capture_output=True, timeout=120)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Form:
    """One write: a source file, the set options, whether the audio moves."""

    def __init__(self, name, source, options, moves):
        self.name, self.source, self.options, self.moves = name, source, options, moves


def riff_chunks(data):
    """(id, offset of the header, size) of each top-level chunk of a RIFF file."""
    chunks, at = [], 12
    while at + 8 <= len(data):
        size = int.from_bytes(data[at + 4:at + 8], "little")
        chunks.append((data[at:at + 4], at, size))
        at += 8 + size + (size & 1)
    return chunks


def id3v2_frame(frame_id, data):
    return frame_id + len(data).to_bytes(4, "big") + b"\0\0" + data


def make_sources(work):
    """Sources of about 3 MiB from the samples lame and ffmpeg made (their
    frames repeated): a bare MP3 with and without an ID3v1 block, one
    behind an ID3v2 tag, one behind a tag with a picture, a WAVE file of MPEG audio with ffmpeg's head list,
    and RMP3 files; the RIFF ones also with long texts, for edits that
    shorten their tags."""
    with open(os.path.join(SAMPLES, "tone-vbr.mp3"), "rb") as f:
        mp3 = f.read()
    tag_end = 10 + sum((mp3[6 + i] & 0x7F) << (7 * (3 - i)) for i in range(4))
    block = mp3[-128:]
    audio = mp3[tag_end:-128] * (3 * (1 << 20) // (len(mp3) - tag_end - 128))
    with open(os.path.join(SAMPLES, "tone-mp3.wav"), "rb") as f:
        wave = f.read()
    _, data_at, data_size = next(c for c in riff_chunks(wave) if c[0] == b"data")
    wave_audio = wave[data_at + 8:data_at + 8 + data_size] * (3 * (1 << 20) // data_size)
    wave = bytearray(wave[:data_at] + b"data" + len(wave_audio).to_bytes(4, "little") + wave_audio)
    wave[4:8] = (len(wave) - 8).to_bytes(4, "little")

    # An ID3v2.3 tag whose picture (8 KiB) stands behind the title: a new
    # title of another length shifts it over pages of the file.
    frames = (id3v2_frame(b"TIT2", b"\0Old title") +
              id3v2_frame(b"APIC", b"\0image/png\0\x03\0" + bytes(range(256)) * 32) +
              id3v2_frame(b"TPE1", b"\0Old artist"))
    body = frames + bytes(256)
    cover = b"ID3\x03\0\0" + bytes((len(body) >> s) & 0x7F for s in (21, 14, 7, 0)) + body

    out = {}
    for name, content in (("tagged.mp3", audio + block), ("untagged.mp3", audio), ("id3v2.mp3", mp3[:tag_end] + audio),
                          ("cover.mp3", cover + audio + block),
                          ("ff.wav", bytes(wave)), ("plain.rmp3", audio + block), ("long.rmp3", audio + block),
                          ("long.wav", bytes(wave))):
        out[name] = os.path.join(work, name)
        with open(out[name], "wb") as f:
            f.write(content)
    for name, options in (("plain.rmp3", ["--to", "rmp3"]),
                          ("long.rmp3", ["--to", "rmp3", "--info", "ICMT=" + LONG_TEXT]),
                          ("long.wav", ["--info", "ICMT=" + LONG_TEXT, "--title", "Long"])):
        done = vomtrail("set", *options, out[name])
        assert done.returncode == 0, done.stderr
    return out


def forms(sources):
    new = ["--title", "New title", "--artist", "New artist"]
    every = [
        Form("bare edit", sources["tagged.mp3"], new, False),
        Form("bare edit, block added", sources["untagged.mp3"], new, False),
        # The ID3v2 tag first (in place, or through a new file), then the
        # module's ID3v1 block in place.
        Form("ID3v2 edit, fits the tag", sources["id3v2.mp3"], new, False),
        Form("ID3v2 edit, tag grows", sources["id3v2.mp3"], new + ["--comment", LONG_TEXT], False),
        Form("ID3v2 edit, frames shift", sources["cover.mp3"], new, False),
        Form("RMP3 edit, tags grow", sources["plain.rmp3"], new + ["--info", "ICMT=" + LONG_TEXT], False),
        Form("RMP3 edit, tags shrink", sources["long.rmp3"], new + ["--info", "ICMT=short"], False),
        Form("WAVE edit, tags added", sources["ff.wav"], new, False),
        Form("WAVE edit, tags shrink", sources["long.wav"], new + ["--info", "ICMT=short"], False),
        Form("bare -> rmp3", sources["tagged.mp3"], new + ["--to", "rmp3"], True),
        # The module's own write of this form: the command refuses it unless
        # forced (or asked to take the tag out, a second write).
        Form("id3v2 -> rmp3", sources["id3v2.mp3"], new + ["--to", "rmp3", "--force"], True),
        Form("rmp3 -> mp3", sources["plain.rmp3"], new + ["--to", "mp3"], True),
        Form("wave -> mp3", sources["ff.wav"], new + ["--to", "mp3"], True),
        Form("wave -> rmp3", sources["ff.wav"], new + ["--to", "rmp3"], True),
    ]
    # Under an emulator every start costs seconds: one form of each kind.
    if EMULATOR:
        return [f for f in every if f.name in ("bare edit", "ID3v2 edit, fits the tag", "ID3v2 edit, tag grows",
                                               "RMP3 edit, tags shrink", "WAVE edit, tags added", "bare -> rmp3",
                                               "rmp3 -> mp3", "wave -> mp3")]
    return every


class Trial:
    """A folder holding one copy of a form's source, killed again and again."""

    def __init__(self, form, work):
        self.form = form
        self.dir = tempfile.mkdtemp(prefix="kill-", dir=work)
        self.path = os.path.join(self.dir, os.path.basename(form.source))
        self.old = read(form.source)
        self.reset()
        started = time.monotonic()
        done = vomtrail("set", *form.options, self.path)
        self.seconds = time.monotonic() - started
        assert done.returncode == 0, done.stderr
        self.new = read(self.path)
        assert self.new != self.old
        self.counts = {"old": 0, "new": 0, "completed by a rerun": 0, "left a new file, removed by the rerun": 0,
                       "lost": 0}
        self.losses = []

    def reset(self):
        for name in os.listdir(self.dir):
            os.remove(os.path.join(self.dir, name))
        shutil.copyfile(self.form.source, self.path)

    def left_files(self):
        return [n for n in os.listdir(self.dir) if n != os.path.basename(self.path)]

    def argv(self):
        return command(["set"] + self.form.options + [self.path])

    def judge(self, how):
        """Sorts the file the kill left; reruns the command where allowed."""
        now = read(self.path)
        left = self.left_files()
        if now == self.new and not left:
            self.counts["new"] += 1
            return
        if now == self.old and not left:
            self.counts["old"] += 1
            return
        if self.form.moves and now != self.old:
            self.lose(how, "the file is neither the old nor the new one" if now != self.new else
                      "a new file was left beside the new one: %s" % left)
            return
        rerun = vomtrail("set", *self.form.options, self.path)
        after = read(self.path)
        if rerun.returncode != 0 or after != self.new or self.left_files():
            self.lose(how, "the rerun (status %d) left %s%s" % (
                rerun.returncode, "the new file" if after == self.new else "another file",
                ", and %s beside it" % self.left_files() if self.left_files() else ""))
            return
        self.counts["left a new file, removed by the rerun" if now == self.old else "completed by a rerun"] += 1

    def lose(self, how, what):
        self.counts["lost"] += 1
        self.losses.append("%s: killed %s: %s" % (self.form.name, how, what))

    def kill_at_times(self, rng):
        for _ in range(TIME_POINTS):
            self.reset()
            delay = rng.uniform(0, self.seconds * 1.1)
            process = subprocess.Popen(self.argv(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(delay)
            process.kill()
            process.wait()
            self.judge("after %.1f ms" % (delay * 1e3))

    def kill_at_syscalls(self):
        self.reset()
        log = os.path.join(os.path.dirname(self.dir), os.path.basename(self.dir) + ".strace")
        subprocess.run(["strace", "-f", "-qq", "-o", log, "-e", "trace=" + ",".join(SYSCALLS)] + self.argv(),
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        calls = {}
        with open(log) as f:
            for line in f:
                name = line.split(None, 1)[1].split("(", 1)[0] if " " in line else ""
                if name in SYSCALLS:
                    calls[name] = calls.get(name, 0) + 1
        os.remove(log)
        for name, count in sorted(calls.items()):
            picks = sorted(set(round(i * (count - 1) / max(MOST_PER_SYSCALL - 1, 1)) + 1
                               for i in range(min(count, MOST_PER_SYSCALL))))
            for when in picks:
                self.reset()
                subprocess.run(["strace", "-f", "-qq", "-o", "/dev/null", "-e",
                                "inject=%s:signal=KILL:when=%d" % (name, when)] + self.argv(),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                self.judge("at %s #%d of %d" % (name, when, count))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--report", action="store_true", help="print the counts, never fail")
    parser.add_argument("--seed", type=int, default=17)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    use_strace = not EMULATOR and shutil.which("strace") is not None
    work = tempfile.mkdtemp(prefix="vomtrail-kill-")
    started = time.monotonic()
    losses = []
    try:
        sources = make_sources(work)
        print("%-26s %6s %6s %6s %8s %8s %6s" % ("form", "kills", "old", "new", "rerun", "left", "lost"))
        for form in forms(sources):
            trial = Trial(form, work)
            trial.kill_at_times(rng)
            if use_strace:
                trial.kill_at_syscalls()
            c = trial.counts
            print("%-26s %6d %6d %6d %8d %8d %6d" % (
                form.name, sum(c.values()), c["old"], c["new"], c["completed by a rerun"],
                c["left a new file, removed by the rerun"], c["lost"]), flush=True)
            losses += trial.losses
            shutil.rmtree(trial.dir)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for loss in losses[:40]:
        print("LOST " + loss)
    print("%d losses, %.0f s%s" % (len(losses), time.monotonic() - started,
                                  "" if use_strace else " (no system-call kills: %s)" %
                                  ("under an emulator" if EMULATOR else "no strace")))
    return 0 if args.report or not losses else 1


if __name__ == "__main__":
    sys.exit(main())
