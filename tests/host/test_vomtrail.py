"""End-to-end tests of the vomtrail command on real files.

The command under test is named by VOMTRAIL; with VOMTRAIL_EMULATOR set (the
Windows build) it runs under that program (wine) and only WineTests run,
since every start costs a second. Files come from samples/ (lame, ffmpeg)
and from sox; independent readers (ffprobe, mutagen, plain byte reads)
check what the command wrote.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest

VOMTRAIL = os.environ.get("VOMTRAIL", "vomtrail")
EMULATOR = os.environ.get("VOMTRAIL_EMULATOR", "")
SAMPLES = os.environ.get("VOMTRAIL_SAMPLES", os.path.join(os.path.dirname(__file__), "..", "..", "samples"))
MP3, WAVE, RMP3 = "tone-vbr.mp3", "tone-mp3.wav", "tone.rmp3"
# The version the build gave the module.
VERSION = os.environ["VOMTRAIL_VERSION"]
ON_WINE = bool(EMULATOR)


def run(*args, encoding="utf-8"):
    command = ([EMULATOR] if EMULATOR else []) + [VOMTRAIL] + [str(a) for a in args]
    done = subprocess.run(command, capture_output=True, timeout=120)
    # Windows programs end their text lines with CR LF.
    out, err = (stream.decode(encoding, "replace").replace("\r\n", "\n") for stream in (done.stdout, done.stderr))
    return done.returncode, out, err


# Root may write any file: a test of what a user may not do runs the command
# as the unprivileged user "nobody" when the tests run as root (as CI does).
OTHER_USER = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
AS_ROOT = hasattr(os, "geteuid") and os.geteuid() == 0


def run_unprivileged(*args):
    """run(), as a user that the test's chmod binds."""
    if not AS_ROOT:
        return run(*args)
    done = subprocess.run(OTHER_USER + [VOMTRAIL] + [str(a) for a in args], capture_output=True, timeout=120)
    assert b"setpriv:" not in done.stderr, done.stderr
    return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")


def info_json(path, *options):
    status, out, err = run("info", "--json", *options, path)
    assert status == 0, err
    return json.loads(out)


def id3v1_block(path):
    with open(path, "rb") as f:
        data = f.read()
    assert data[-128:-125] == b"TAG", "no ID3v1 block at the end"
    return data[-128:]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def read_head(path, size=65536):
    with open(path, "rb") as f:
        return f.read(size)


def riff_chunks(data):
    """(id, offset of body, size) of each top-level chunk of a RIFF file."""
    chunks, offset = [], 12
    while offset + 8 <= len(data):
        size = int.from_bytes(data[offset + 4:offset + 8], "little")
        chunks.append((data[offset:offset + 4], offset + 8, size))
        offset += 8 + size + (size & 1)
    return chunks


class Workspace(unittest.TestCase):
    """Each test works on fresh copies in a folder of its own."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="vomtrail-test-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def open_to_others(self):
        """Lets an unprivileged user into the workspace (mkdtemp makes it 0700)."""
        os.chmod(self.dir, 0o755)
        self.assertEqual(run_unprivileged("version")[0], 0, "the other user cannot run " + VOMTRAIL)

    def copy(self, sample, name=None):
        target = os.path.join(self.dir, name or sample)
        shutil.copyfile(os.path.join(SAMPLES, sample), target)
        return target

    def pcm_wave(self, name="pcm.wav"):
        target = os.path.join(self.dir, name)
        subprocess.run(["sox", "-q", "-n", "-r", "8000", "-c", "1", "-b", "16", target, "synth", "0.2", "sine", "300"],
                       check=True)
        return target

    def write(self, name, data):
        target = os.path.join(self.dir, name)
        with open(target, "wb") as f:
            f.write(data)
        return target

    def assertUnchanged(self, path, before):
        self.assertEqual(read(path), before, "the file changed")


@unittest.skipIf(ON_WINE, "native build")
class InfoTests(Workspace):
    def test_text_output_for_each_container(self):
        status, out, err = run("info", self.copy(MP3), self.copy(WAVE), self.copy(RMP3))
        self.assertEqual(status, 0, err)
        blocks = out.split("\n\n")
        self.assertEqual(len(blocks), 3)
        mp3, wave, rmp3 = blocks
        self.assertIn("MPEG-2 layer 3", mp3)
        self.assertIn("22050 Hz, mono", mp3)
        self.assertIn("VBR", mp3)
        self.assertIn("MPEG stream behind an ID3v2 tag", mp3)
        self.assertIn("version 1.1", mp3)
        self.assertIn("  title      Sample tone  (ID3v2)\n", mp3)
        self.assertIn("    title    Sample tone\n", mp3)
        self.assertIn("    track    3\n", mp3)
        self.assertIn("    genre    17 (Rock)", mp3)
        self.assertIn("container  RIFF WAVE", wave)
        self.assertIn("32 kbit/s", wave)
        self.assertIn("the sample count of the WAVE fact chunk", wave)
        self.assertIn("ID3v1      none", wave)
        self.assertIn("container  RIFF RMP3", rmp3)
        self.assertIn("INFO ICOP  2024 Vomtrail", rmp3)
        self.assertIn("INFO ISFT  Vom Trail!", rmp3)
        self.assertNotIn("INFO IID3", rmp3)

    def test_json_fields_for_each_container(self):
        mp3 = info_json(self.copy(MP3))
        self.assertEqual((mp3["mpeg"], mp3["layer"], mp3["sample_rate"], mp3["channel_mode"]), ("2", 3, 22050, "mono"))
        self.assertEqual((mp3["container"], mp3["id3v2"], mp3["vbr"]), ("mpeg", True, True))
        self.assertEqual(mp3["size"], os.path.getsize(os.path.join(SAMPLES, MP3)))
        self.assertEqual(mp3["id3v1"], {"version": "1.1", "title": "Sample tone", "artist": "Vomtrail",
                                        "album": "Samples", "year": "2024", "comment": "VBR, ID3v2 and ID3v1.1",
                                        "track": 3, "genre": 17, "genre_name": "Rock"})
        wave = info_json(self.copy(WAVE))
        self.assertEqual((wave["container"], wave["bitrate"], wave["id3v1"]), ("wave", 32000, None))
        rmp3 = info_json(self.copy(RMP3))
        self.assertEqual(rmp3["container"], "rmp3")
        self.assertEqual(rmp3["info"], {"IART": "Vomtrail", "ICOP": "2024 Vomtrail", "ISFT": "Vom Trail!"})
        self.assertEqual(rmp3["id3v1"]["genre_name"], "Jazz")

    def test_frames_agree_with_ffprobe(self):
        path = self.copy(RMP3)
        probe = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "a:0", "-show_entries",
                                "stream=nb_read_frames,sample_rate", "-of", "json", path],
                               capture_output=True, check=True)
        stream = json.loads(probe.stdout)["streams"][0]
        report = info_json(path)
        self.assertEqual(report["sample_rate"], int(stream["sample_rate"]))
        # Without a frame-count header the frames are counted one by one.
        self.assertEqual((report["seconds_source"], report["frames"]), ("counted", int(stream["nb_read_frames"])))

    def test_folder_is_walked_in_name_order(self):
        os.mkdir(os.path.join(self.dir, "sub"))
        self.copy(MP3, "b.mp3")
        self.copy(RMP3, os.path.join("sub", "a.rmp3"))
        status, out, _ = run("info", "--json", self.dir)
        self.assertEqual(status, 0)
        names = [os.path.relpath(json.loads(line)["file"], self.dir) for line in out.splitlines()]
        self.assertEqual(names, ["b.mp3", os.path.join("sub", "a.rmp3")])

    def test_a_failing_file_does_not_stop_the_others(self):
        missing = os.path.join(self.dir, "missing.mp3")
        status, out, err = run("info", "--json", missing, self.copy(MP3))
        self.assertEqual(status, 1)
        lines = [json.loads(line) for line in out.splitlines()]
        self.assertEqual(lines[0], {"file": missing, "ok": False, "code": 2, "error": "no such file"})
        self.assertTrue(lines[1]["ok"])
        self.assertIn(f"vomtrail: {missing}: no such file", err)

    def test_usage_and_version(self):
        self.assertEqual(run("version")[:2], (0, VERSION + "\n"))
        self.assertEqual(run("info")[0], 2)
        self.assertEqual(run("info", "--bogus", "x")[0], 2)
        self.assertEqual(run("set", "--to", "flac", "x")[0], 2)
        self.assertEqual(run("set", "--track", "256", "x")[0], 2)
        self.assertEqual(run()[0], 2)
        status, out, _ = run("set", "--help")
        self.assertEqual(status, 0)
        self.assertIn("--encoding", out)


@unittest.skipIf(ON_WINE, "native build")
class SetRoundTripTests(Workspace):
    EDITS = ["--title", "New title", "--artist", "New artist", "--album", "New album", "--year", "1999",
             "--comment", "New comment", "--track", "7", "--genre", "Hard Rock"]
    EXPECTED = {"version": "1.1", "title": "New title", "artist": "New artist", "album": "New album",
                "year": "1999", "comment": "New comment", "track": 7, "genre": 79, "genre_name": "Hard Rock"}

    def round_trip(self, sample, to, container):
        path = self.copy(sample)
        # An MP3 sample's ID3v2 tag is taken out of RMP3 output.
        strip = ["--strip-id3v2"] if to == "rmp3" else []
        status, out, err = run("set", *self.EDITS, *strip, "--to", to, path)
        self.assertEqual(status, 0, err)
        self.assertEqual(out, f"{path}: written as {to}\n")
        report = info_json(path)
        self.assertEqual(report["container"], container)
        self.assertEqual(report["id3v1"], self.EXPECTED)
        return path, report

    def test_every_mode_from_every_container(self):
        for sample in (MP3, WAVE, RMP3):
            for to, container in (("mp3", "mpeg"), ("rmp3", "rmp3")):
                with self.subTest(sample=sample, to=to):
                    path, report = self.round_trip(sample, to, container)
                    if to == "rmp3":
                        self.assertEqual(report["info"]["ISFT"], "Vom Trail!")
                        self.assertEqual(int.from_bytes(read(path)[4:8], "little"), os.path.getsize(path) - 8)
        self.round_trip(WAVE, "wave", "wave")

    def test_mp3_output_reads_the_same_in_mutagen_and_ffprobe(self):
        try:
            from mutagen.id3 import ParseID3v1
        except ImportError:
            self.skipTest("python3-mutagen is not installed for this python")
        path, _ = self.round_trip(WAVE, "mp3", "mpeg")
        frames = ParseID3v1(id3v1_block(path))
        self.assertEqual(str(frames["TIT2"]), "New title")
        self.assertEqual(str(frames["TRCK"]), "7")
        self.assertEqual(frames["TCON"].genres, ["Hard Rock"])
        probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=codec_name", "-of", "csv=p=0", path],
                               capture_output=True, text=True, check=True)
        self.assertEqual(probe.stdout.strip(), "mp3")

    def test_rmp3_from_a_stream_behind_id3v2_is_refused(self):
        path = self.copy(MP3)
        before = read(path)
        status, _, err = run("set", "--to", "rmp3", path)
        self.assertEqual(status, 1)
        self.assertIn("the audio starts with an ID3v2 tag, which in an RMP3 data chunk players take for audio", err)
        self.assertUnchanged(path, before)
        self.assertEqual(run("set", "--to", "rmp3", self.copy(RMP3))[2], "")

    def test_without_to_each_file_keeps_its_form(self):
        for sample, container in ((MP3, "mpeg"), (WAVE, "wave"), (RMP3, "rmp3")):
            path = self.copy(sample)
            status, out, err = run("set", "--title", "Kept", path)
            self.assertEqual(status, 0, err)
            report = info_json(path)
            self.assertEqual((report["container"], report["id3v1"]["title"]), (container, "Kept"))

    def test_untouched_fields_survive_an_edit(self):
        # The sample starts with an ID3v2 tag; its ID3v1.1 track must not be
        # written away with the title edit.
        path = self.copy(MP3)
        self.assertEqual(run("set", "--title", "Only the title", path)[0], 0)
        tag = info_json(path)["id3v1"]
        self.assertEqual((tag["title"], tag["artist"], tag["track"], tag["genre"]), ("Only the title", "Vomtrail", 3, 17))
        self.assertEqual(read(path)[:3], b"ID3", "the ID3v2 tag stays in front")

    def test_a_file_without_tags_gets_no_genre_rather_than_blues(self):
        path = self.copy(WAVE)
        self.assertEqual(run("set", "--to", "mp3", "--title", "T", path)[0], 0)
        self.assertEqual(id3v1_block(path)[127], 255)
        self.assertIsNone(info_json(path)["id3v1"]["genre_name"])

    def test_info_texts_in_riff_output(self):
        path = self.copy(WAVE)
        status, _, err = run("set", "--info", "ICOP=(c) Someone", "--info", "ieng=Engineer", path)
        self.assertEqual(status, 0, err)
        texts = info_json(path)["info"]
        self.assertEqual((texts["ICOP"], texts["IENG"]), ("(c) Someone", "Engineer"))
        status, _, err = run("set", "--to", "mp3", "--info", "ICOP=x", self.copy(RMP3))
        self.assertEqual(status, 0)
        self.assertIn("an MP3 file keeps no RIFF INFO texts", err)
        for bad in ("ISFT=x", "IID3=x", "XXXX=y", "noequals"):
            self.assertEqual(run("set", "--info", bad, path)[0], 2, bad)
        # Each --info takes one ID=TEXT: the names after it are files.
        other = self.copy(WAVE, "other.wav")
        status, out, err = run("set", "--info", "IKEY=one", path, other)
        self.assertEqual(status, 0, err)
        self.assertEqual(out.count("written as wave"), 2)
        self.assertEqual(info_json(other)["info"]["IKEY"], "one")

    def test_long_texts_are_cut_and_reported(self):
        path = self.copy(MP3)
        status, _, err = run("set", "--title", "x" * 40, "--year", "20245", path)
        self.assertEqual(status, 0)
        self.assertIn("the title is cut to 30 bytes", err)
        self.assertIn("the year is cut to 4 bytes", err)
        tag = info_json(path)["id3v1"]
        self.assertEqual((tag["title"], tag["year"]), ("x" * 30, "2024"))
        # With a track the comment has 28 bytes.
        status, _, err = run("set", "--comment", "c" * 30, path)
        self.assertIn("the comment is cut to 28 bytes", err)
        self.assertEqual(info_json(path)["id3v1"]["comment"], "c" * 28)

    def test_cuts_fall_between_characters(self):
        path = self.copy(MP3)
        run("set", "--encoding", "UTF-8", "--title", "é" * 20, path)  # 40 bytes
        self.assertEqual(id3v1_block(path)[3:33], ("é" * 15).encode())
        run("set", "--encoding", "CP932", "--title", "あ" + "日" * 20, path)  # 2 bytes each
        self.assertEqual(id3v1_block(path)[3:33], ("あ" + "日" * 14).encode("cp932"))

    def test_genre_by_number_and_name(self):
        path = self.copy(RMP3)
        # 255 is "no genre".
        for given, number in (("0", 0), ("blues", 0), ("191", 191), ("255", None), ("Synthpop", 147)):
            self.assertEqual(run("set", "--genre", given, path)[0], 0)
            self.assertEqual(info_json(path)["id3v1"]["genre"], number, given)
        before = read(path)
        self.assertEqual(run("set", "--genre", "Polka Metal", path)[0], 2)
        self.assertEqual(run("set", "--genre", "256", path)[0], 2)
        self.assertUnchanged(path, before)


@unittest.skipIf(ON_WINE, "native build")
class EncodingTests(Workspace):
    def test_shift_jis_round_trip(self):
        path = self.copy(RMP3)
        title, artist = "日本語のタイトル", "歌手"
        status, _, err = run("set", "--encoding", "CP932", "--title", title, "--artist", artist, path)
        self.assertEqual(status, 0, err)
        block = id3v1_block(path)
        self.assertEqual(block[3:33].rstrip(b" "), title.encode("cp932"))
        tag = info_json(path, "--encoding", "CP932")["id3v1"]
        self.assertEqual((tag["title"], tag["artist"]), (title, artist))
        self.assertNotEqual(info_json(path)["id3v1"]["title"], title)  # read as CP1252 it is not Japanese

    def test_latin1_round_trip(self):
        path = self.copy(MP3)
        artist = "Café Müller"
        status, _, err = run("set", "--encoding", "ISO-8859-1", "--artist", artist, path)
        self.assertEqual(status, 0, err)
        self.assertEqual(id3v1_block(path)[33:63].rstrip(b" "), artist.encode("latin-1"))
        self.assertEqual(info_json(path, "--encoding", "ISO-8859-1")["id3v1"]["artist"], artist)
        self.assertEqual(info_json(path)["id3v1"]["artist"], artist)  # CP1252 agrees on these letters

    def test_text_the_code_page_cannot_hold_is_a_usage_error(self):
        path = self.copy(MP3)
        before = read(path)
        status, _, err = run("set", "--encoding", "ISO-8859-1", "--title", "日本", path)
        self.assertEqual(status, 2)
        self.assertIn("the title has characters that ISO-8859-1 cannot hold", err)
        status, _, err = run("set", "--encoding", "NO-SUCH-CODE-PAGE", "--title", "x", path)
        self.assertEqual(status, 2)
        self.assertIn("unknown encoding", err)
        self.assertUnchanged(path, before)


@unittest.skipIf(ON_WINE, "native build")
class ErrorTests(Workspace):
    def expect_failure(self, path, words, *options, command="set", whole=True):
        before = (read(path) if whole else (os.path.getsize(path), read_head(path))) if os.path.isfile(path) else None
        args = (command,) + options + (path,) if command == "info" else ("set", "--title", "x") + options + (path,)
        status, _, err = run(*args)
        self.assertEqual(status, 1, err)
        self.assertIn(f"vomtrail: {path}: {words}", err)
        if before is not None and whole:
            self.assertUnchanged(path, before)
        elif before is not None:
            self.assertEqual((os.path.getsize(path), read_head(path)), before)

    def test_missing_file_and_folder(self):
        self.expect_failure(os.path.join(self.dir, "missing.mp3"), "no such file")
        self.expect_failure(os.path.join(self.dir, "no", "such.mp3"), "no such folder")

    def test_file_in_use_by_another_program(self):
        import fcntl
        path = self.copy(MP3)
        with open(path, "rb+") as holder:
            fcntl.flock(holder, fcntl.LOCK_EX)
            self.expect_failure(path, "the file is in use by another program")

    def test_access_denied(self):
        self.open_to_others()
        path = self.copy(MP3)
        os.chmod(path, 0o644 if AS_ROOT else 0o444)  # readable, not writable, by the one who runs it
        before = read(path)
        status, _, err = run_unprivileged("set", "--title", "x", path)
        self.assertEqual(status, 1, err)
        self.assertIn(f"vomtrail: {path}: access denied", err)
        self.assertUnchanged(path, before)
        self.assertEqual(run_unprivileged("info", path)[0], 0)

    def test_what_is_not_a_regular_file_says_what_it_is(self):
        fifo = os.path.join(self.dir, "pipe.mp3")
        os.mkfifo(fifo)
        loop = os.path.join(self.dir, "loop.mp3")
        os.symlink(loop + ".other", loop)
        os.symlink(loop, loop + ".other")
        for path, words in ((fifo, "is a FIFO (named pipe), not a regular file"),
                            ("/dev/null", "is a device, not a regular file"),
                            (loop, "too many levels of symbolic links")):
            for command in ("info", "set"):
                with self.subTest(path=path, command=command):
                    self.expect_failure(path, words, command=command)
        status, out, _ = run("info", "--json", fifo)
        self.assertEqual((status, json.loads(out)["error"]), (1, "is a FIFO (named pipe), not a regular file"))

    def test_wave_mode_only_for_wave_files(self):
        self.expect_failure(self.copy(MP3), "only a WAVE file can be written as wave", "--to", "wave")
        self.expect_failure(self.copy(RMP3), "only a WAVE file can be written as wave", "--to", "wave")

    def test_wave_without_data_chunk(self):
        # "da" satisfies the reader's probe; the writer wants the whole id.
        frames = read(os.path.join(SAMPLES, WAVE))[0xAE:]
        body = b"WAVE" + b"fmt " + (2).to_bytes(4, "little") + b"\x55\x00" + b"dax!" + (len(frames)).to_bytes(4, "little") + frames
        path = self.write("nodata.wav", b"RIFF" + len(body).to_bytes(4, "little") + body)
        self.expect_failure(path, "not a RIFF WAVE file with a data chunk", "--to", "mp3")

    def test_wave_that_ends_before_its_data_chunk(self):
        body = b"WAVE" + b"fmt " + (16).to_bytes(4, "little") + b"\x55\x00" + b"\x01" * 14
        path = self.write("short.wav", b"RIFF" + len(body).to_bytes(4, "little") + body)
        self.expect_failure(path, "the file ends before its data chunk")
        self.expect_failure(path, "the file ends before its data chunk", command="info")

    def test_rmp3_whose_data_chunk_runs_past_the_end(self):
        data = bytearray(read(os.path.join(SAMPLES, RMP3)))
        data[16:20] = (len(data) * 2).to_bytes(4, "little")
        self.expect_failure(self.write("long.rmp3", bytes(data)), "the file ends before")

    def test_file_of_two_gibibytes(self):
        path = os.path.join(self.dir, "huge.mp3")
        with open(path, "wb") as f:
            f.write(read(os.path.join(SAMPLES, MP3)))
            f.truncate(2 ** 31)  # sparse: no disk space taken
        self.expect_failure(path, "the file is too large (2 GiB or more)", whole=False)
        # info reads it itself and names the module's refusal.
        status, out, err = run("info", "--json", path)
        self.assertEqual(status, 0, err)
        self.assertIn("the module gives no record (the file is too large (2 GiB or more))", err)
        report = json.loads(out)
        self.assertEqual((report["record"], report["record_refusal"]), (None, "the file is too large (2 GiB or more)"))
        self.assertEqual((report["seconds_source"], report["title"], report["id3v1"]), ("xing", "Sample tone", None))

    def test_paths_longer_than_the_module_takes(self):
        folder = os.path.join(self.dir, "d" * 200, "e" * 200)
        os.makedirs(folder)
        path = self.copy(MP3, os.path.join(folder, "n" * 60 + ".mp3"))
        status, out, err = run("set", "--title", "Long way", path)
        self.assertEqual((status, out), (0, f"{path}: written as mp3\n"), err)
        self.assertEqual(info_json(path)["id3v1"]["title"], "Long way")
        self.assertEqual(id3v1_block(path)[3:11], b"Long way")
        # Only a file whose own name leaves no room for the folder's handle.
        long_name = self.copy(MP3, os.path.join(folder, "n" * 245 + ".mp3"))
        self.expect_failure(long_name, "the file's own name is too long for the module")
        self.expect_failure(long_name, "the file's own name is too long for the module", command="info")

    def test_an_unreadable_folder_in_a_walk_fails_the_run(self):
        self.open_to_others()
        self.copy(MP3, "a.mp3")
        closed = os.path.join(self.dir, "closed")
        os.mkdir(closed)
        self.copy(MP3, os.path.join("closed", "b.mp3"))
        os.chmod(closed, 0o700 if AS_ROOT else 0)
        self.addCleanup(os.chmod, closed, 0o755)
        status, out, err = run_unprivileged("info", "--json", self.dir)
        self.assertEqual(status, 1, err)
        self.assertEqual(err, f"vomtrail: {closed}: the folder cannot be read: access denied\n")
        self.assertEqual([os.path.basename(json.loads(line)["file"]) for line in out.splitlines()], ["a.mp3"])

    def test_track_with_a_total_keeps_the_track(self):
        path = self.copy(RMP3)
        status, _, err = run("set", "--track", "3/12", path)
        self.assertEqual(status, 0, err)
        self.assertEqual(err, "vomtrail: --track 3/12: ID3v1 has no place for the total 12; the track is written "
                              "as 3\n")
        self.assertEqual(id3v1_block(path)[125:127], b"\x00\x03")
        before = read(path)
        for bad in ("3/", "/12", "3/x", "256/300"):
            self.assertEqual(run("set", "--track", bad, path)[0], 2, bad)
        self.assertUnchanged(path, before)

    def test_one_failure_does_not_stop_the_others(self):
        missing, good = os.path.join(self.dir, "missing.mp3"), self.copy(MP3)
        status, out, err = run("set", "--title", "Done", missing, good)
        self.assertEqual(status, 1)
        self.assertIn("no such file", err)
        self.assertEqual(info_json(good)["id3v1"]["title"], "Done")


@unittest.skipIf(ON_WINE, "native build")
class PcmWaveTests(Workspace):
    def test_pcm_wave_is_not_turned_into_mp3_or_rmp3(self):
        path = self.pcm_wave()
        before = read(path)
        for to in ("mp3", "rmp3"):
            status, _, err = run("set", "--to", to, "--title", "x", path)
            self.assertEqual(status, 1)
            self.assertIn("holds audio of format 0x0001 (PCM), not MPEG", err)
            self.assertUnchanged(path, before)

    def test_force_overrides_the_refusal(self):
        path = self.pcm_wave()
        status, _, err = run("set", "--to", "mp3", "--force", "--title", "x", path)
        self.assertEqual(status, 0, err)
        data = read(path)
        self.assertNotEqual(data[:4], b"RIFF")
        self.assertEqual(data[-128:-125], b"TAG")

    def test_pcm_wave_keeps_its_audio_in_wave_mode(self):
        path = self.pcm_wave()
        pcm = read(path)
        status, _, err = run("set", "--title", "Tagged PCM", path)
        self.assertEqual(status, 0, err)
        data = read(path)
        body = next((offset, size) for cid, offset, size in riff_chunks(pcm) if cid == b"data")
        self.assertEqual(data[body[0]:body[0] + body[1]], pcm[body[0]:body[0] + body[1]])
        self.assertEqual(info_json(path)["id3v1"]["title"], "Tagged PCM")
        probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "stream=codec_name", "-of", "csv=p=0", path],
                               capture_output=True, text=True, check=True)
        self.assertEqual(probe.stdout.strip(), "pcm_s16le")


@unittest.skipIf(ON_WINE or not shutil.which("script"), "needs a terminal made by script(1)")
class ProgressTests(Workspace):
    def files(self, count):
        return [self.copy(RMP3, f"f{i:02}.rmp3") for i in range(count)]

    def test_progress_line_at_a_terminal_for_many_files(self):
        self.files(21)
        done = subprocess.run(["script", "-qec", f"'{VOMTRAIL}' info '{self.dir}' >/dev/null", "/dev/null"],
                              capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 0)
        self.assertIn(b"[21/21] ", done.stdout)
        self.assertIn(b"\r\x1b[K", done.stdout)

    def test_progress_names_are_escaped(self):
        self.files(20)
        shutil.copyfile(os.path.join(SAMPLES, RMP3), os.path.join(self.dir.encode(), b"z\x1b[2J\x9b.rmp3"))
        done = subprocess.run(["script", "-qec", f"'{VOMTRAIL}' info '{self.dir}' >/dev/null", "/dev/null"],
                              capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn(b"[21/21] ", done.stdout)
        self.assertIn(b"z\\x1b[2J\\x9b.rmp3", done.stdout)
        self.assertNotIn(b"\x1b[2J", done.stdout)

    def test_no_progress_line_for_few_files_or_without_a_terminal(self):
        self.files(20)
        done = subprocess.run(["script", "-qec", f"'{VOMTRAIL}' info '{self.dir}' >/dev/null", "/dev/null"],
                              capture_output=True, timeout=60)
        self.assertEqual(done.returncode, 0, done.stderr)
        self.assertIn(b"/f19.rmp3", subprocess.run([VOMTRAIL, "info", self.dir], capture_output=True).stdout)
        self.assertNotIn(b"[20/20]", done.stdout)
        self.files(25)
        status, _, err = run("info", self.dir)
        self.assertEqual((status, err), (0, ""))


def tool(*command):
    subprocess.run([str(c) for c in command], check=True, capture_output=True)


def ffprobe_seconds(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path],
                           capture_output=True, text=True, check=True)
    return float(probe.stdout)


def ffprobe_tags(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format_tags", "-of", "json", path],
                           capture_output=True, check=True)
    return json.loads(probe.stdout)["format"].get("tags", {})


def png_bytes():
    """A 1x1 PNG image, made here so that no image tool is needed."""
    import struct
    import zlib

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 1, 1, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(b"\x00\xff\x00\x00")) + chunk(b"IEND", b""))


class EncodedFiles(Workspace):
    """Files made by the encoders at test time, from one 3.5-second tone."""

    def source(self, rate=44100, channels=2, seconds=3.5):
        target = os.path.join(self.dir, f"src-{rate}-{channels}-{seconds}.wav")
        if not os.path.exists(target):
            tool("sox", "-q", "-n", "-r", rate, "-c", channels, "-b", "16", target, "synth", seconds, "sine", "440")
        return target

    def lame(self, name, *options, rate=44100, channels=2):
        target = os.path.join(self.dir, name)
        tool("lame", "--quiet", *options, self.source(rate, channels), target)
        return target

    def ffmpeg(self, name, *options):
        target = os.path.join(self.dir, name)
        tool("ffmpeg", "-nostdin", "-v", "error", "-y", "-i", self.source(), *options, target)
        return target

    def ffmpeg_wave(self, name="ffw.wav"):
        return self.ffmpeg(name, "-c:a", "libmp3lame", "-b:a", "64k", "-metadata", "title=FF WAV Title",
                           "-metadata", "artist=FF WAV Artist")

    def with_cover(self, path):
        cover = self.write("cover.png", png_bytes())
        if shutil.which("eyeD3"):
            tool("eyeD3", "-Q", "--add-image", f"{cover}:FRONT_COVER", path)
        else:
            tool("mid3v2", f"--picture={cover}", path)
        return path


def decoded_seconds(path):
    """The length a decoder plays: ffmpeg's sample count (without the encoder
    delay and padding where a LAME header gives them) at the stream's rate."""
    probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", "stream=sample_rate",
                            "-of", "json", path], capture_output=True, check=True)
    pcm = subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1", "-f", "s16le",
                          "-"], capture_output=True, check=True).stdout
    return len(pcm) / 2 / int(json.loads(probe.stdout)["streams"][0]["sample_rate"])


@unittest.skipIf(ON_WINE, "native build")
class LengthTests(EncodedFiles):
    """Thirty seconds of tone in every form the encoders make, against the
    length a decoder plays."""

    def made(self, name, *options, rate=44100, channels=2):
        target = os.path.join(self.dir, name)
        tool("lame", "--quiet", *options, self.source(rate, channels, seconds=30), target)
        return target

    def files(self):
        """(file, source of the length) for every rate and container."""
        made = []
        for rate in (44100, 32000, 24000, 16000, 11025, 8000):
            made.append((self.made(f"cbr-{rate}.mp3", "-b", "64", "--resample", str(rate / 1000), rate=rate), "info"))
            made.append((self.made(f"vbr-{rate}.mp3", "-V", "5", "--resample", str(rate / 1000), rate=rate), "xing"))
        vbr = self.made("vbr.mp3", "-V", "2")
        made.append((self.made("vbr-no-header.mp3", "-t", "-V", "2"), "counted"))
        made.append((self.made("mono-crc.mp3", "-p", "-m", "m", "-b", "64", channels=1), "info"))
        made.append((self.with_cover(self.made("cover.mp3", "-b", "128", "--tt", "Cover")), "info"))
        made.append((self.write("junk.mp3", bytes(range(256)) * 3 + b"j" * 32 + read(vbr)), "xing"))
        made.append((self.write("cut.mp3", read(vbr)[:len(read(vbr)) * 2 // 5]), "counted"))
        made.append((self.ffmpeg("layer2.mp2", "-c:a", "mp2", "-b:a", "192k"), "counted"))
        made.append((self.ffmpeg_wave(), "fact"))
        rmp3 = self.made("as-rmp3.mp3", "-b", "128")
        assert run("set", "--to", "rmp3", rmp3)[0] == 0
        made.append((rmp3, "info"))
        extensible = os.path.join(self.dir, "extensible.wav")
        tool("sox", "-q", "-n", "-r", "44100", "-c", "3", "-b", "24", extensible, "synth", "30", "sine", "440")
        made.append((extensible, "wave"))
        return made

    def test_lengths_agree_with_a_decoder(self):
        for path, source in self.files():
            with self.subTest(file=os.path.basename(path)):
                report = info_json(path)
                expected = decoded_seconds(path)
                self.assertEqual(report["seconds_source"], source)
                self.assertLessEqual(abs(report["seconds"] - expected), 0.005 * expected, f"decoded {expected}")

    def test_rates_encoders_and_what_the_text_says(self):
        vbr = self.made("vbr.mp3", "-V", "2")
        report = info_json(vbr)
        self.assertEqual((report["vbr"], report["bitrate_source"], report["gapless"]), (True, "average", True))
        self.assertEqual((report["encoder"], report["encoder_settings"]), ("LAME3.100", "-V 2"))
        self.assertEqual((report["encoder_delay"], report["seconds"]), (576, 30.0))
        probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format=bit_rate", "-of", "csv=p=0", vbr],
                               capture_output=True, text=True, check=True)
        self.assertLessEqual(abs(report["bitrate"] - int(probe.stdout)), 0.02 * int(probe.stdout))
        self.assertEqual(report["record"]["bitrate"], report["record"]["bitrate"])
        no_header = info_json(self.made("vbr-no-header.mp3", "-t", "-V", "2"))
        self.assertEqual((no_header["vbr"], no_header["bitrate_source"]), (True, "average"))
        self.assertLessEqual(abs(no_header["bitrate"] - report["bitrate"]), 0.02 * report["bitrate"])

        junk = self.write("junk.mp3", b"j" * 800 + read(vbr))
        cut = self.write("cut.mp3", read(vbr)[:200_000])
        cbr = self.made("cbr.mp3", "-b", "128")
        _, out, _ = run("info", vbr, junk, cut, cbr)
        vbr_text, junk_text, cut_text, cbr_text = out.split("\n\n")
        self.assertRegex(vbr_text, r"length     30\.00 s gapless \(1150 frames from the Xing header: 30\.04 s less 576 "
                                   r"samples of encoder delay and 1224 of padding\)")
        self.assertIn("stream     MPEG-1 layer 3, 90 kbit/s average, VBR, 44100 Hz", vbr_text)
        self.assertIn("encoder    LAME3.100, -V 2", vbr_text)
        self.assertIn("skipped    800 bytes before the first frame (at byte 800)", junk_text)
        self.assertRegex(cut_text, r"cut short  the file holds 17\.\d s of the 30\.0 s its header promises")
        self.assertIn("encoder    LAME3.100, -b 128", cbr_text)
        self.assertIn("stream     MPEG-1 layer 3, 128 kbit/s, 44100 Hz", cbr_text)


@unittest.skipIf(ON_WINE, "native build")
class TagTextTests(EncodedFiles):
    """ID3v2 and APEv2 tags written by real taggers, shown as mutagen reads them."""

    TEXTS = {"title": "TIT2", "artist": "TPE1", "album": "TALB", "album_artist": "TPE2"}

    def tagged(self):
        cover = self.write("cover.png", png_bytes())
        files = []
        for version in ("2.3", "2.4"):
            path = self.lame(f"eyed3-{version}.mp3", "-b", "64")
            tool("eyeD3", "-Q", f"--to-v{version}", "-t", "Tïtle 日本", "-a", "Artïst", "-A", "Album", "-b", "Band",
                 "-n", "2", "-N", "5", "-G", "Jazz", "-c", "a comment", "--add-image", f"{cover}:FRONT_COVER", path)
            files.append(path)
        path = self.lame("mid3v2.mp3", "-b", "64")
        tool("mid3v2", "-t", "Tïtle", "-a", "Artist", "-A", "Album", "-g", "(13)Pop", "-T", "4/8", "-c", "mid3v2 comment",
             "--TPE2", "Band", "--TPOS", "1/2", "-y", "2005-06-07", path)
        files.append(path)
        if shutil.which("id3v2"):
            path = self.lame("id3lib.mp3", "-b", "64")
            tool("id3v2", "-t", "Title", "-a", "Artist", "-A", "Album", "-y", "2006", "-T", "5/10", "-g", "17", "-c",
                 "id3lib comment", path)
            files.append(path)
        for version in ("3", "4"):
            files.append(self.ffmpeg(f"ffmpeg-2{version}.mp3", "-c:a", "libmp3lame", "-id3v2_version", version,
                                     "-metadata", "title=Tïtle 日本", "-metadata", "artist=Artist", "-metadata",
                                     "track=6/9", "-metadata", "genre=Ambient", "-metadata", "date=2007"))
        files.append(self.lame("lame.mp3", "-b", "64", "--add-id3v2", "--tt", "Café", "--ta", "Lame Artist",
                               "--tn", "3/12", "--tg", "Rock"))
        return files

    def test_texts_and_pictures_as_mutagen_reads_them(self):
        try:
            from mutagen.id3 import ID3
        except ImportError:
            self.skipTest("python3-mutagen is not installed for this python")
        for path in self.tagged():
            with self.subTest(file=os.path.basename(path)):
                report = info_json(path)
                tags = ID3(path, load_v1=False)
                for key, frame in self.TEXTS.items():
                    expected = " / ".join(str(t) for t in tags[frame].text) if frame in tags else None
                    self.assertEqual(report[key], expected, key)
                    self.assertEqual(report[key + "_source"], "id3v2" if expected else None, key)
                if "TRCK" in tags:
                    number, _, total = str(tags["TRCK"]).partition("/")
                    self.assertEqual((report["track"], report["track_total"]), (int(number), int(total) if total else None))
                self.assertEqual(report["genre"], " / ".join(tags["TCON"].genres) if "TCON" in tags else None)
                self.assertEqual(report["date"], str(tags["TDRC"]) if "TDRC" in tags else None)
                comments = [c for c in tags.getall("COMM") if not c.desc]
                self.assertEqual(report["comment"], str(comments[0]) if comments else None)
                pictures = [(p["type"], p["mime"], p["size"]) for p in report["id3v2_tags"][0]["pictures"]]
                self.assertEqual(pictures, [(int(p.type), p.mime, len(p.data)) for p in tags.getall("APIC")])
                self.assertEqual(report["id3v2_tags"][0]["version"][:3], "2.%d" % tags.version[1])

    def test_apev2_and_id3v1_behind_the_audio(self):
        try:
            from mutagen.apev2 import APEv2
        except ImportError:
            self.skipTest("python3-mutagen is not installed for this python")
        path = self.lame("ape.mp3", "-b", "64", "--id3v1-only", "--tt", "V1 title", "--ta", "V1 artist")
        ape = APEv2()
        ape["Title"], ape["Album"] = "Tïtle 日本", "APE album"
        ape.save(path)
        report = info_json(path)
        self.assertEqual((report["title"], report["title_source"]), ("Tïtle 日本", "apev2"))
        self.assertEqual((report["artist"], report["artist_source"]), ("V1 artist", "id3v1"))
        self.assertEqual({i["key"]: i["text"] for i in report["apev2"]["items"]},
                         {k: str(v) for k, v in APEv2(path).items()})
        self.assertIn("APEv2      version 2.000", run("info", path)[1])


@unittest.skipIf(ON_WINE, "native build")
class NotMpegTests(EncodedFiles):
    def others(self):
        return [self.write("image.mp3", png_bytes()),
                self.ffmpeg("flac.mp3", "-c:a", "flac", "-f", "flac"),
                self.ffmpeg("ogg.mp3", "-c:a", "libvorbis", "-f", "ogg"),
                self.write("text.mp3", b"just some words\n" * 20)]

    def test_info_says_what_it_found(self):
        image, flac, ogg, text = self.others()
        status, out, err = run("info", image, flac, ogg, text)
        self.assertEqual(status, 0, err)
        blocks = out.split("\n\n")
        self.assertEqual(len(blocks), 4, out)
        for block, seems in zip(blocks, ("a PNG image", "FLAC audio", "an Ogg file", None)):
            self.assertIn("stream     not MPEG audio" + (f" (looks like {seems})" if seems else "") + "\n", block)
            self.assertNotIn("MPEG-", block)
        report = info_json(flac)
        self.assertEqual((report["mpeg_audio"], report["mpeg"], report["looks_like"]), (False, None, "FLAC audio"))
        for field in ("layer", "duration", "frames", "seconds"):
            self.assertNotIn(field, report)

    def test_set_leaves_them_alone_unless_forced(self):
        files = self.others()
        before = [read(path) for path in files]
        status, out, err = run("set", "--title", "X", *files)
        self.assertEqual((status, out), (1, "0 written, 0 unchanged, 4 refused, 0 failed\n"))
        self.assertEqual(err.count("not MPEG audio"), 4)
        self.assertIn(f"vomtrail: {files[0]}: not MPEG audio (looks like a PNG image); nothing written", err)
        self.assertEqual([read(path) for path in files], before)
        self.assertEqual(run("set", "--force", "--title", "X", files[3])[0], 0)
        self.assertEqual(read(files[3])[:-128], before[3])

    def test_pcm_wave_is_shown_as_such(self):
        status, out, _ = run("info", self.pcm_wave())
        self.assertIn("stream     WAVE audio of format 0x0001 (PCM), 1 channel, 8000 Hz; not MPEG audio", out)
        self.assertIn("container  RIFF WAVE", out)
        report = info_json(self.pcm_wave())
        self.assertEqual((report["container"], report["wave_format"]),
                         ("wave", {"tag": 1, "channels": 1, "sample_rate": 8000}))

    def test_short_and_streamed_files(self):
        for data in (b"", b"\xff\xfb\x90"):
            path = self.write("short.mp3", data)
            for command in (("info",), ("set", "--title", "x")):
                status, _, err = run(*command, path)
                self.assertEqual(status, 1)
                self.assertIn(f"vomtrail: {path}: the file is too short to hold an MPEG frame", err)
            self.assertUnchanged(path, data)
        streamed = os.path.join(self.dir, "streamed.wav")
        with open(streamed, "wb") as out:
            subprocess.run(["ffmpeg", "-nostdin", "-v", "error", "-i", self.source(), "-c:a", "libmp3lame", "-f", "wav",
                            "-"], stdout=out, check=True)
        before = read(streamed)
        status, _, err = run("set", "--force", "--title", "x", streamed)
        self.assertEqual(status, 1)
        self.assertIn("data size is unknown (streamed file); the module cannot rewrite it", err)
        self.assertUnchanged(streamed, before)
        self.assertIn("data size unknown (streamed file)", run("info", streamed)[1])

    def test_folders_give_audio_names_unless_all_files(self):
        self.copy(MP3, "a.MP3")
        self.copy(WAVE, "b.wav")
        self.write("cover.png", png_bytes())
        self.write("notes.txt", b"x")
        names = lambda *options: [os.path.basename(json.loads(line)["file"])
                                  for line in run("info", "--json", *options, self.dir)[1].splitlines()]
        self.assertEqual(names(), ["a.MP3", "b.wav"])
        self.assertEqual(names("--all-files"), ["a.MP3", "b.wav", "cover.png", "notes.txt"])


@unittest.skipIf(ON_WINE, "native build")
class WaveTextTests(EncodedFiles):
    def test_head_texts_are_shown_and_survive_an_edit(self):
        path = self.ffmpeg_wave()
        original = read(path)
        data = next((offset, size) for cid, offset, size in riff_chunks(original) if cid == b"data")
        head = info_json(path)["info_head"]
        self.assertEqual({t["id"]: t["text"] for t in head}["INAM"], "FF WAV Title")
        inam = next(t for t in head if t["id"] == "INAM")
        self.assertEqual(original[inam["offset"]:inam["offset"] + 4], b"INAM")
        self.assertIn("INFO INAM  FF WAV Title  (list before the audio)", run("info", path)[1])

        status, _, err = run("set", "--artist", "New", path)
        self.assertEqual((status, err), (0, ""))
        tags = ffprobe_tags(path)
        self.assertEqual((tags["title"], tags["artist"]), ("FF WAV Title", "New"))
        # The head list is brought in step; the audio stays as it was.
        head = {t["id"]: t["text"] for t in info_json(path)["info_head"]}
        self.assertEqual((head["INAM"], head["IART"]), ("FF WAV Title", "New"))
        self.assertEqual(riff_audio(path), original[data[0]:data[0] + data[1]], "audio changed")

    def test_id3v1_edits_are_mirrored_into_info(self):
        path = self.ffmpeg_wave()
        status, _, err = run("set", "--title", "T" * 40, "--year", "2024", "--genre", "Jazz", "--info", "IART=Own",
                             "--artist", "Artist", path)
        self.assertEqual(status, 0)
        self.assertIn("the title is cut to 30 bytes", err)
        texts = info_json(path)["info"]
        self.assertEqual((texts["INAM"], texts["ICRD"], texts["IGNR"], texts["IART"]), ("T" * 40, "2024", "Jazz", "Own"))

    def test_info_texts_of_255_bytes_are_cut_to_254(self):
        path = self.pcm_wave()
        status, _, err = run("set", "--info", "ICMT=" + "c" * 255, path)
        self.assertEqual(status, 0)
        self.assertIn("the ICMT is cut to 254 bytes", err)
        self.assertEqual(info_json(path)["info"]["ICMT"], "c" * 254)

    def test_mp3_output_names_the_texts_it_drops(self):
        path = self.ffmpeg_wave()
        status, _, err = run("set", "--to", "mp3", "--title", "x", path)
        self.assertEqual(status, 0)
        # INAM and IART come over to the ID3v1 title and artist.
        self.assertIn("an MP3 file keeps no RIFF INFO texts; dropped: ISFT", err)
        self.assertEqual(info_json(path)["id3v1"]["artist"], "FF WAV Artist")


@unittest.skipIf(ON_WINE, "native build")
class SafetyTests(EncodedFiles):
    def test_id3v2_is_named_and_changed_with_the_texts(self):
        path = self.with_cover(self.lame("cover.mp3", "-b", "128"))
        report = info_json(path)
        self.assertEqual(report["id3v2_tag"]["size"], read(path).index(b"\xff\xfb"))
        self.assertIn("ID3v2      version 2.", run("info", path)[1])
        status, _, err = run("set", "--title", "New", "--artist", "A", path)
        self.assertEqual((status, err), (0, ""))
        report = info_json(path)
        self.assertEqual((report["title"], report["title_source"], report["artist"]), ("New", "id3v2", "A"))

    def test_control_bytes_are_escaped(self):
        name = os.path.join(self.dir.encode(), b"bad\x1b[2Jname\xff.mp3")
        shutil.copyfile(os.path.join(SAMPLES, MP3), name)
        status, out, err = run("set", "--title", "a\x1b]0;owned\x07b", os.fsdecode(name))
        self.assertEqual(status, 0, err)
        self.assertIn("bad\\x1b[2Jname\\xff.mp3: written as mp3", out)
        out = subprocess.run([VOMTRAIL, "info", name], capture_output=True).stdout
        self.assertNotIn(b"\x1b", out)
        self.assertIn(b"    title    a\\x1b]0;owned\\x07b\n", out)
        report = json.loads(subprocess.run([VOMTRAIL, "info", "--json", name], capture_output=True).stdout)
        self.assertEqual(bytes.fromhex(report["file_hex"]), name)

    def test_set_without_an_edit_writes_nothing(self):
        path = self.copy(MP3)
        before = read(path)
        status, out, err = run("set", path)
        self.assertEqual((status, out), (2, ""))
        self.assertIn("vomtrail: nothing to change", err)
        self.assertUnchanged(path, before)

    def test_times_kept_and_backup_made(self):
        path = self.copy(MP3)
        before = read(path)
        os.utime(path, ns=(1_000_000_000_123, 2_000_000_000_456))
        self.assertEqual(run("set", "--preserve-times", "--backup", "--title", "T", path)[0], 0)
        self.assertEqual((os.stat(path).st_atime_ns, os.stat(path).st_mtime_ns), (1_000_000_000_123, 2_000_000_000_456))
        self.assertEqual(read(path + ".orig"), before)
        status, _, err = run("set", "--backup", "--title", "Again", path)
        self.assertEqual(status, 1)
        self.assertIn(f"vomtrail: {path}: {path}.orig: the backup name exists already; nothing written", err)
        self.assertEqual(info_json(path)["id3v1"]["title"], "T")

    def test_a_size_limit_says_the_file_could_not_grow(self):
        path = self.copy(WAVE)
        before = read(path)
        limit = "ulimit -f %d; exec \"$0\" \"$@\"" % (len(before) // 512)
        done = subprocess.run(["sh", "-c", limit, VOMTRAIL, "set", "--title", "x", path], capture_output=True, text=True)
        self.assertEqual(done.returncode, 1)
        self.assertIn(f"vomtrail: {path}: the file could not grow", done.stderr)
        self.assertUnchanged(path, before)

    def test_version_help_and_one_prefix(self):
        self.assertEqual(run("--version")[:2], (0, VERSION + "\n"))
        self.assertIn("Exit codes: 0", run("--help")[1])
        status, _, err = run("set", "--genre", "Polka Metal", self.copy(MP3))
        self.assertEqual(status, 2)
        self.assertTrue(err.startswith("vomtrail: unknown genre"), err)


def readers_view(path):
    """What TagLib, mediainfo, exiftool and ffprobe each show of a WAVE file, as text."""
    views = {}
    if os.environ.get("VT_TAGLIB_READ"):
        views["taglib"] = subprocess.run([os.environ["VT_TAGLIB_READ"], "wav", path], capture_output=True,
                                         text=True, check=True).stdout
    views["mediainfo"] = subprocess.run(["mediainfo", "--Output=JSON", path], capture_output=True, text=True,
                                        check=True).stdout
    views["exiftool"] = subprocess.run(["exiftool", "-j", "-a", "-G1", path], capture_output=True, text=True,
                                       check=True).stdout
    views["ffprobe"] = json.dumps(ffprobe_tags(path))
    return views


def riff_audio(path):
    """The data chunk's body of a RIFF file."""
    data = read(path)
    offset, size = next((offset, size) for cid, offset, size in riff_chunks(data) if cid == b"data")
    return data[offset:offset + size]


def id3v2_tagged(path, title):
    """`path` with an ID3v2.3 tag in front holding a UTF-16 title that starts with 'ð': its bytes FF FE F0 00
    read as a frame header of length 0, so the module clears the record's form for such a file."""
    text = b"\x01" + ("ð" + title).encode("utf-16")
    frame = b"TIT2" + len(text).to_bytes(4, "big") + b"\0\0" + text
    size = len(frame)
    tag = b"ID3\x03\x00\x00" + bytes([(size >> 21) & 127, (size >> 14) & 127, (size >> 7) & 127, size & 127]) + frame
    with open(path, "rb") as f:
        audio = f.read()
    with open(path, "wb") as f:
        f.write(tag + audio)
    return tag


def rmp3_around(path, audio):
    """An RMP3 file whose data chunk holds `audio` as it is, with an ID3v1 block in its IID3 chunk."""
    block = b"TAG" + b"Old title".ljust(30) + b" " * 94 + b"\xff"
    listed = b"INFO" + b"IID3" + (128).to_bytes(4, "little") + block
    body = (b"RMP3" + b"data" + len(audio).to_bytes(4, "little") + audio + b"\0" * (len(audio) & 1) + b"LIST" +
            len(listed).to_bytes(4, "little") + listed)
    with open(path, "wb") as f:
        f.write(b"RIFF" + len(body).to_bytes(4, "little") + body)
    return path


@unittest.skipIf(ON_WINE, "native build")
class CheckedWriteTests(EncodedFiles):
    def test_mp3_from_an_rmp3_whose_audio_starts_with_id3v2_is_a_bare_mp3_behind_that_tag(self):
        # The module reads such a file as FileKind 0 (no frame where the data chunk starts); written with
        # that kind it stayed RIFF RMP3 while "written as mp3" was said.
        mp3 = self.lame("src.mp3", "-b", "128")
        tag = id3v2_tagged(mp3, "Tagged")
        path = rmp3_around(os.path.join(self.dir, "k.rmp3"), read(mp3))
        status, out, err = run("set", "--to", "mp3", "--title", "New", path)
        self.assertEqual((status, out), (0, f"{path}: written as mp3\n"), err)
        data = read(path)
        self.assertEqual(data[:-128], read(mp3), "the bare stream is the data chunk, its tag in front")
        self.assertTrue(data.startswith(tag))
        self.assertEqual(info_json(path)["id3v1"]["title"], "New")
        probe = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", "stream=codec_name",
                                "-of", "default=nw=1:nk=1", path], capture_output=True, text=True, check=True)
        self.assertEqual((probe.stdout.strip(), probe.stderr), ("mp3", ""))

    def test_every_form_is_checked_and_dry_run_foretells_the_write(self):
        cases = [(self.lame("bare.mp3", "-b", "64"), "rmp3"), (self.lame("bare2.mp3", "-b", "64"), "mp3"),
                 (self.ffmpeg_wave(), "wave"), (self.ffmpeg_wave("conv.wav"), "mp3")]
        for path, to in cases:
            with self.subTest(file=os.path.basename(path), to=to):
                before = read(path)
                status, out, err = run("set", "--dry-run", "--to", to, "--title", "Planned", path)
                self.assertEqual(status, 0, err)
                self.assertUnchanged(path, before)
                self.assertIn(f"{path}: would be written as {to} (now ", out)
                self.assertRegex(out, r'title      "[^"]*" -> "Planned"')
                self.assertFalse(os.path.exists(path + ".orig"))
                status, _, err = run("set", "--to", to, "--title", "Planned", path)
                self.assertEqual(status, 0, err)
                moved = re.search(r"a new file of (\d+) bytes", out)
                if moved:
                    self.assertEqual(os.path.getsize(path), int(moved.group(1)))
                else:
                    self.assertIn("stays where it is:", out)


@unittest.skipIf(ON_WINE, "native build")
class Id3v2StripTests(EncodedFiles):
    LONG = "A title longer than the thirty bytes of ID3v1"

    def tagged(self):
        path = self.lame("tagged.mp3", "-b", "128", "--tt", self.LONG, "--ta", "Tag Artist", "--id3v2-only")
        return path, read(path)

    def test_rmp3_output_of_audio_behind_id3v2_is_refused_unless_the_tag_is_taken_out(self):
        path, before = self.tagged()
        status, out, err = run("set", "--to", "rmp3", path)
        self.assertEqual((status, out), (1, ""))
        self.assertIn("the audio starts with an ID3v2 tag", err)
        self.assertIn("--strip-id3v2 takes the tag out", err)
        self.assertUnchanged(path, before)

        status, out, err = run("set", "--to", "rmp3", "--strip-id3v2", "--artist", "Edited", path)
        self.assertEqual(status, 0, err)
        self.assertIn("the ID3v1 title (from the ID3v2 title) is cut to 30 bytes", err)
        report = info_json(path)
        self.assertEqual((report["container"], report["mpeg_audio"]), ("rmp3", True))
        self.assertEqual(report["info"]["INAM"], self.LONG)
        self.assertEqual(report["id3v1"]["title"], self.LONG[:30])
        self.assertEqual((report["info"]["IART"], report["id3v1"]["artist"]), ("Edited", "Edited"))
        tag_size = before.index(b"\xff\xfb")
        self.assertEqual(riff_audio(path), before[tag_size:], "the audio without its tag, from its first frame")

    def test_encodings_of_wider_code_units_are_usage_errors(self):
        path, before = self.tagged()
        for encoding in ("UTF-16", "UTF-32", "UCS-2", "UTF-7"):
            status, _, err = run("set", "--encoding", encoding, "--title", "a", path)
            self.assertEqual(status, 2, encoding)
            self.assertIn("does not write ASCII as single bytes", err)
        self.assertUnchanged(path, before)


@unittest.skipIf(ON_WINE, "native build")
class ReaderMatrixTests(EncodedFiles):
    OLD = ("Old Title", "Old Artist")

    def made_by(self):
        ffmpeg = self.ffmpeg("ffmpeg.wav", "-c:a", "libmp3lame", "-b:a", "64k", "-metadata", f"title={self.OLD[0]}",
                             "-metadata", f"artist={self.OLD[1]}")
        sox = os.path.join(self.dir, "sox.wav")
        tool("sox", self.source(), sox)
        files = [ffmpeg, sox]
        if os.environ.get("VT_TAGLIB_WRITE"):
            taglib = self.ffmpeg("taglib.wav", "-c:a", "libmp3lame", "-b:a", "64k", "-map_metadata", "-1",
                                 "-fflags", "+bitexact")
            tool(os.environ["VT_TAGLIB_WRITE"], taglib, *self.OLD)
            files.append(taglib)
        return files

    def test_every_reader_shows_the_new_texts_and_none_the_old(self):
        for path in self.made_by():
            with self.subTest(file=os.path.basename(path)):
                audio = riff_audio(path)
                status, _, err = run("set", "--title", "T", "--artist", "A", path)
                self.assertEqual((status, err), (0, ""))
                self.assertEqual(riff_audio(path), audio)
                for reader, view in readers_view(path).items():
                    # mediainfo joins the two lists' texts: "T / T".
                    self.assertRegex(view, r'"(RIFF:)?[Tt]itle": "T( / T)?"|INAM=T\n', reader)
                    self.assertTrue(re.search(r'[=:] ?"?A( / A)?"?[,\n]', view), f"{reader}: {view}")
                    for old in self.OLD:
                        self.assertNotIn(old, view, reader)


@unittest.skipIf(ON_WINE, "native build")
class EditChainTests(EncodedFiles):
    def test_three_edits_in_a_row_keep_every_text_whatever_the_heads_length(self):
        for comment in ("short", "c" * 3000):
            with self.subTest(head=len(comment)):
                path = self.ffmpeg(f"head{len(comment)}.wav", "-c:a", "libmp3lame", "-b:a", "64k",
                                   "-metadata", "title=FF Title", "-metadata", f"comment={comment}")
                audio = riff_audio(path)
                for edit in (["--info", "ICOP=Copyright One", "--title", "T1"], ["--artist", "A2"],
                             ["--album", "B3"]):
                    status, _, err = run("set", *edit, path)
                    self.assertEqual(status, 0, err)
                    # Behind the audio the comment is cut (said once); before it, it stays whole.
                    self.assertIn(err, ("", f"vomtrail: {path}: the INFO ICMT text is cut to 254 bytes\n"))
                report = info_json(path)
                tail = {text["id"]: text["text"] for text in report["info_tail"]}
                self.assertEqual((tail["ICOP"], tail["INAM"], tail["IART"], tail["IPRD"]),
                                 ("Copyright One", "T1", "A2", "B3"))
                self.assertEqual(report["id3v1"]["title"], "T1")
                head = {text["id"]: text["text"] for text in report["info_head"]}
                self.assertEqual((head["ICMT"], head["ICOP"], head["INAM"]), (comment, "Copyright One", "T1"))
                self.assertIn("INFO ICOP  Copyright One  (behind the audio)", run("info", path)[1])
                exif = json.loads(subprocess.run(["exiftool", "-j", "-a", "-G1", path], capture_output=True,
                                                 check=True).stdout)[0]
                self.assertEqual((exif["RIFF:Copyright"], exif["RIFF:Title"], exif["RIFF:Artist"]),
                                 ("Copyright One", "T1", "A2"))
                self.assertEqual(riff_audio(path), audio)


@unittest.skipIf(ON_WINE, "native build")
class ConversionTests(EncodedFiles):
    def test_texts_come_over_to_the_new_form_and_back(self):
        wave = self.ffmpeg("texts.wav", "-c:a", "libmp3lame", "-b:a", "64k", "-metadata", "title=Wave Title",
                           "-metadata", "artist=Wave Artist", "-metadata", "date=2021-06-01", "-metadata",
                           "genre=Jazz")
        status, _, err = run("set", "--to", "mp3", "--comment", "Set", wave)
        self.assertEqual(status, 0, err)
        self.assertIn("the ID3v1 year (from ICRD) is cut to 4 bytes", err)
        tag = info_json(wave)["id3v1"]
        self.assertEqual((tag["title"], tag["artist"], tag["year"], tag["comment"], tag["genre_name"]),
                         ("Wave Title", "Wave Artist", "2021", "Set", "Jazz"))

        mp3 = self.lame("v1.mp3", "-b", "64", "--id3v1-only", "--tt", "Block Title", "--ta", "Block Artist",
                        "--tg", "Rock")
        status, _, err = run("set", "--to", "rmp3", "--info", "IART=Given", mp3)
        self.assertEqual(status, 0, err)
        texts = info_json(mp3)["info"]
        self.assertEqual((texts["INAM"], texts["IART"], texts["IGNR"]), ("Block Title", "Given", "Rock"))

    def test_a_name_that_no_longer_fits_is_named_and_renamed_on_request(self):
        wave = self.ffmpeg_wave("song.wav")
        status, out, err = run("set", "--to", "mp3", wave)
        self.assertEqual(status, 0)
        self.assertIn(f"the name's extension does not fit mp3 output; --rename-extension renames it to "
                      f"{self.dir}/song.mp3", err)
        taken = self.write("song.mp3", b"someone else's")
        status, out, err = run("set", "--to", "mp3", "--rename-extension", wave)
        self.assertEqual(status, 0)
        self.assertIn(f"not renamed to {taken}", err)
        self.assertEqual(read(taken), b"someone else's")
        os.remove(taken)
        status, out, err = run("set", "--to", "mp3", "--rename-extension", wave)
        self.assertEqual((status, out), (0, f"{wave}: written as mp3, renamed to {taken}\n"), err)
        self.assertFalse(os.path.exists(wave))
        self.assertEqual(info_json(taken)["container"], "mpeg")


@unittest.skipIf(ON_WINE, "native build")
class ConcurrencyTests(EncodedFiles):
    def audio_of(self, path):
        """The MPEG audio of a bare or RMP3 file: what no edit may change."""
        data = read(path)
        if data[:4] == b"RIFF":
            return riff_audio(path)
        return data[:-128] if data[-128:-125] == b"TAG" else data

    def test_two_sets_at_once_are_each_applied_whole_or_refused(self):
        for round_ in range(6):
            path = self.lame(f"race{round_}.mp3", "-b", "128")
            audio = self.audio_of(path)
            command = ([VOMTRAIL, "set", "--title", "One", "--to", "rmp3", path],
                       [VOMTRAIL, "set", "--artist", "Two", path])
            runs = [subprocess.Popen(c, stdout=subprocess.PIPE, stderr=subprocess.PIPE) for c in command]
            results = [(p.wait(timeout=120), p.stderr.read().decode()) for p in runs]
            for status, err in results:
                self.assertTrue(status == 0 or "another vomtrail set" in err, err)
            tag = info_json(path)["id3v1"]
            if all(status == 0 for status, _ in results):
                self.assertEqual((tag["title"], tag["artist"]), ("One", "Two"))
            self.assertEqual(self.audio_of(path), audio)

    def test_a_file_that_grows_meanwhile_is_refused_and_keeps_every_byte(self):
        path = self.lame("grown.mp3", "-b", "128")
        chunks = [b"[chunk %03d]" % i for i in range(100)]
        appender = subprocess.Popen([sys.executable, "-c", (
            "import sys, time\n"
            "for i in range(100):\n"
            "    with open(sys.argv[1], 'ab') as f: f.write(b'[chunk %03d]' % i)\n"
            "    time.sleep(0.01)\n"), path])
        # Edits in place while the file grows, then one that moves the audio into
        # an RMP3 data chunk. A RIFF file's rewrite drops what stands behind its
        # chunks, so the file stays a bare stream until that last one.
        outcomes = []
        while appender.poll() is None and len(outcomes) < 200:
            status, out, err = run("set", "--title", f"Raced {len(outcomes)}", path)
            outcomes.append((status, err))
            if len(outcomes) == 20:
                status, out, err = run("set", "--to", "rmp3", path)
                outcomes.append((status, err))
                if status == 0:
                    break
        appender.wait()
        data = read(path)
        lost = [chunk for chunk in chunks if chunk not in data]
        self.assertEqual(lost, [], "appended bytes lost")
        for status, err in outcomes:
            self.assertTrue(status == 0 or re.search(r"changed after it was read|in use|differs|changed", err), err)


@unittest.skipIf(ON_WINE, "native build")
class BackupTests(EncodedFiles):
    def test_the_backup_is_the_old_file_itself_and_a_copy_where_no_new_file_can_take_its_place(self):
        path = self.lame("moved.mp3", "-b", "128")
        before, inode = read(path), os.stat(path).st_ino
        status, _, err = run("set", "--backup", "--to", "rmp3", "--title", "Moved", path)
        self.assertEqual(status, 0, err)
        self.assertEqual(os.stat(path + ".orig").st_ino, inode, "the backup is the old file, not a copy")
        self.assertEqual(read(path + ".orig"), before)
        self.assertEqual(os.stat(path).st_nlink, 1)
        self.assertEqual(info_json(path)["container"], "rmp3")

        # An edit in place too goes through a new file when a backup is asked for.
        os.remove(path + ".orig")
        before, inode = read(path), os.stat(path).st_ino
        status, _, err = run("set", "--backup", "--title", "In place", path)
        self.assertEqual(status, 0, err)
        self.assertEqual((os.stat(path + ".orig").st_ino, read(path + ".orig")), (inode, before))

        # A file with a second name is written in place: the backup is a copy.
        os.remove(path + ".orig")
        os.link(path, os.path.join(self.dir, "second.mp3"))
        before, inode = read(path), os.stat(path).st_ino
        status, _, err = run("set", "--backup", "--title", "Linked", path)
        self.assertEqual(status, 0, err)
        self.assertEqual(read(path + ".orig"), before)
        self.assertNotEqual(os.stat(path + ".orig").st_ino, inode)
        self.assertEqual(os.stat(path).st_ino, inode)

    def test_a_refused_write_leaves_no_backup(self):
        self.open_to_others()
        path = self.lame("locked.mp3", "-b", "128")
        os.chmod(path, 0o444)
        for edit in (["--title", "x"], ["--to", "rmp3"]):
            status, _, err = run_unprivileged("set", "--backup", *edit, path)
            self.assertEqual(status, 1, err)
            self.assertFalse(os.path.exists(path + ".orig"), edit)
        # The same with a file that changes between the read and the write
        # is covered by the appender race; a module refusal by a lock:
        os.chmod(path, 0o644)
        with open(path, "rb") as held:
            import fcntl
            fcntl.flock(held, fcntl.LOCK_EX)
            status, _, err = run("set", "--backup", "--title", "x", path)
        self.assertEqual(status, 1, err)
        self.assertFalse(os.path.exists(path + ".orig"))


@unittest.skipUnless(ON_WINE, "Windows build under Wine")
class WineTests(Workspace):
    """Vomtrail.dll loaded by vomtrail.exe; few starts, each costs a second."""

    def test_info_catches_the_module_exception_and_goes_on(self):
        self.assertEqual(run("version")[:2], (0, VERSION + "\n"))
        # The missing file comes first: the files after it must still be read.
        missing = os.path.join(self.dir, "missing.mp3")
        status, out, err = run("info", "--json", missing, self.copy(MP3), self.copy(WAVE), self.copy(RMP3))
        self.assertEqual(status, 1, err)
        lines = [json.loads(line) for line in out.splitlines()]
        self.assertEqual((lines[0]["ok"], lines[0]["code"], lines[0]["error"]), (False, 2, "no such file"))
        self.assertIn("no such file", err)
        self.assertEqual([l["container"] for l in lines[1:]], ["mpeg", "wave", "rmp3"])
        self.assertEqual(lines[1]["id3v1"]["title"], "Sample tone")
        self.assertEqual(lines[3]["info"]["ICOP"], "2024 Vomtrail")

    def test_failures_on_several_threads_at_once_each_land_on_their_own_file(self):
        # The module raises for a missing file; on threads reading side by
        # side, each raise must come back to the call that made it.
        names = []
        for i in range(24):
            names += [os.path.join(self.dir, f"missing-{i}.mp3"), self.copy(MP3, f"present-{i}.mp3")]
        status, out, err = run("info", "--json", "--jobs", "8", *names)
        self.assertEqual(status, 1, err)
        lines = [json.loads(line) for line in out.splitlines()]
        self.assertEqual([(l["file"], l["ok"]) for l in lines], [(n, "missing" not in n) for n in names])
        self.assertEqual(err.count("no such file"), 24)

    def test_set_keeps_the_id3v2_tag_in_step_in_place_and_grown(self):
        # Each write reopens the file the command read: a read handle still
        # open makes Windows refuse it ("in use by another program").
        def tag_and_audio(data):
            size = 10 + sum((data[6 + i] & 0x7F) << (7 * (3 - i)) for i in range(4))
            return data[:size], data[size:-128]

        path = self.copy(MP3)
        old_tag, audio = tag_and_audio(read(path))
        status, out, err = run("set", "--title", "Neu", "--artist", "Wer", path)
        self.assertEqual((status, out), (0, f"{path}: written as mp3\n"), err)
        fitted = read(path)
        self.assertEqual((len(tag_and_audio(fitted)[0]), tag_and_audio(fitted)[1]), (len(old_tag), audio))
        grown = "A title longer than the tag's room " * 12
        status, out, err = run("set", "--backup", "--title", grown, path)
        self.assertEqual((status, out), (0, f"{path}: written as mp3\n"), err)
        self.assertEqual(read(path + ".orig"), fitted)
        new_tag, new_audio = tag_and_audio(read(path))
        self.assertEqual((len(new_tag) > len(old_tag), new_audio), (True, audio))
        report = info_json(path)
        self.assertEqual((report["title"], report["title_source"], report["artist"]), (grown, "id3v2", "Wer"))

    def test_set_with_a_japanese_title_and_the_refusals(self):
        mp3, pcm = self.copy(MP3), self.pcm_wave()
        pcm_before = read(pcm)
        title = "日本語のタイトル"
        status, out, err = run("set", "--to", "rmp3", "--strip-id3v2", "--encoding", "CP932", "--title", title,
                               "--track", "9", mp3, pcm)
        self.assertEqual(status, 1, err)
        self.assertIn("written as rmp3", out)
        self.assertIn("holds audio of format 0x0001 (PCM)", err)
        self.assertUnchanged(pcm, pcm_before)
        data = read(mp3)
        self.assertEqual((data[:4], data[8:12]), (b"RIFF", b"RMP3"))
        self.assertEqual(data[-128 + 3:-128 + 33].rstrip(b" "), title.encode("cp932"))
        self.assertEqual(data[-2], 9)

        wave_only = self.copy(RMP3)
        before = read(wave_only)
        status, out, err = run("info", "--json", "--encoding", "CP932", mp3)
        self.assertEqual(status, 0, err)
        self.assertEqual(json.loads(out)["id3v1"]["title"], title)
        status, _, err = run("set", "--to", "wave", wave_only)
        self.assertEqual(status, 1)
        self.assertIn("only a WAVE file can be written as wave", err)
        self.assertUnchanged(wave_only, before)

    def test_not_mpeg_refused_and_head_texts_shown(self):
        image = self.write("image.mp3", png_bytes())
        status, _, err = run("set", "--title", "x", image)
        self.assertEqual(status, 1)
        self.assertIn("not MPEG audio (looks like a PNG image)", err)
        self.assertEqual(read(image), png_bytes())
        report = info_json(self.copy(WAVE))
        self.assertEqual({t["id"]: t["text"] for t in report["info_head"]}["INAM"], "WAVE tone")


if __name__ == "__main__":
    unittest.main()
