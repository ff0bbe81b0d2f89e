"""End-to-end tests of the commands for whole collections: rename, export,
import, history and undo, and the threads and progress of long runs.

Folders are made here from samples/: nested, with spaces and non-ASCII
letters in names, a name that is not UTF-8, and files the user may not read.
Each test has its own journal folder (XDG_STATE_HOME). The spreadsheet data
in data/ is what LibreOffice Calc saved (data/make-spreadsheet-csv.sh).
"""
import csv
import io
import json
import os
import pty
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import collection_folder
from test_vomtrail import (AS_ROOT, MP3, ON_WINE, RMP3, SAMPLES, VOMTRAIL, WAVE, read, run_unprivileged)

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data")


class Collection(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="vomtrail-collection-")
        self.addCleanup(shutil.rmtree, self.dir, True)
        self.music = os.path.join(self.dir, "music")
        os.mkdir(self.music)
        self.env = dict(os.environ, XDG_STATE_HOME=os.path.join(self.dir, "state"))
        self.env.pop("VOMTRAIL_JOURNAL_SIZE", None)

    def run_here(self, *args, cwd=None, stdin=None):
        done = subprocess.run([VOMTRAIL] + [str(a) for a in args], capture_output=True, timeout=300, cwd=cwd,
                              env=self.env, input=stdin)
        return done.returncode, done.stdout.decode("utf-8", "replace"), done.stderr.decode("utf-8", "replace")

    def copy(self, sample, name):
        target = os.path.join(self.music, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join(SAMPLES, sample), target)
        return target

    def tag(self, path, *edits):
        status, _, err = self.run_here("set", *edits, path)
        self.assertEqual(status, 0, err)

    def snapshot(self):
        """Every file below the music folder by its path relative to it, with its bytes."""
        files = {}
        for folder, _, names in os.walk(os.fsencode(self.music)):
            for name in names:
                path = os.path.join(folder, name)
                files[os.path.relpath(path, os.fsencode(self.music))] = read(path)
        return files

    def folders(self):
        return sorted(os.path.relpath(folder, self.music) for folder, _, _ in os.walk(self.music))


@unittest.skipIf(ON_WINE, "native build")
class RenameTests(Collection):
    def badly_named(self):
        """Three tagged files under names that say nothing, one with a backup."""
        # RMP3 files: no ID3v2 tag whose texts would stand before the edited ones.
        a = self.copy(RMP3, "in box/track 1 (copy).rmp3")
        b = self.copy(RMP3, "in box/ünnamed.rmp3")
        c = self.copy(RMP3, "x.rmp3")
        self.tag(a, "--artist", "Miles Davis", "--album", "Kind of Blue", "--title", "So What", "--track", "1")
        self.tag(b, "--artist", "Miles Davis", "--album", "Kind of Blue", "--title", "Blue in Green", "--track", "3")
        self.tag(c, "--artist", "AC/DC", "--album", "Live: 1992?", "--title", "Thunder*", "--track", "2")
        shutil.copyfile(b, b + ".orig")
        return a, b, c

    def test_plan_apply_and_undo(self):
        self.badly_named()
        before, folders = self.snapshot(), self.folders()
        pattern = "{artist}/{album}/{track:02} {title:title}.{ext}"
        status, out, err = self.run_here("rename", "--to", pattern, self.music)
        self.assertEqual((status, err), (0, ""))
        self.assertIn("in box/ünnamed.rmp3 -> " + self.music + "/Miles Davis/Kind of Blue/03 Blue In Green.rmp3", out)
        self.assertIn("3 to rename, 0 unchanged, 0 refused; nothing renamed (--apply renames)", out)
        self.assertEqual(self.snapshot(), before, "the plan renames nothing")

        status, out, err = self.run_here("rename", "--to", pattern, "--apply", self.music)
        self.assertEqual((status, err), (0, ""))
        self.assertRegex(out, r"3 renamed, 0 unchanged, 0 refused, 0 failed \(run \d+, vomtrail undo reverses it\)")
        after = self.snapshot()
        self.assertEqual(sorted(after), sorted([
            b"AC_DC/Live_ 1992_/02 Thunder_.rmp3",
            b"Miles Davis/Kind of Blue/01 So What.rmp3",
            b"Miles Davis/Kind of Blue/03 Blue In Green.rmp3",
            b"Miles Davis/Kind of Blue/03 Blue In Green.rmp3.orig"]))
        self.assertEqual(sorted(after.values()), sorted(before.values()), "renames change no byte")

        status, out, err = self.run_here("undo")
        self.assertEqual((status, err), (0, ""))
        self.assertRegex(out, r"undo of run \d+: 4 put back")
        self.assertEqual(self.snapshot(), before)
        self.assertEqual(self.folders(), folders, "the folders the rename made are gone")

    def test_names_are_never_taken(self):
        a = self.copy(RMP3, "a.rmp3")
        b = self.copy(RMP3, "b.rmp3")
        self.tag(a, "--title", "Sample tone")
        self.tag(b, "--title", "Sample tone")
        self.copy(RMP3, "RMP3 tone.rmp3")
        c = self.copy(RMP3, "c.rmp3")
        before = self.snapshot()
        status, out, err = self.run_here("rename", "--to", "{title}.{ext}", "--apply", a, b, c)
        self.assertEqual(self.snapshot(), before)
        self.assertEqual(status, 1)
        self.assertIn(f"{a}: would get the same name as {b}", err)
        self.assertIn(f"{b}: would get the same name as {a}", err)
        self.assertIn("RMP3 tone.rmp3 exists; a name is never taken from another file", err)
        self.assertIn("0 renamed, 0 unchanged, 3 refused", out)

        # A name freed by another rename of the same run is taken after it.
        self.tag(c, "--title", "b")
        self.tag(b, "--title", "d")
        status, out, err = self.run_here("rename", "--to", "{title}.{ext}", "--apply", b, c)
        self.assertEqual((status, err), (0, ""), out)
        self.assertEqual(out.splitlines()[:2], [f"{b} -> {self.music}/d.rmp3", f"{c} -> {self.music}/b.rmp3"])

    def test_files_without_the_fields_or_unreadable_keep_their_names(self):
        plain = self.copy(WAVE, "no artist.wav")
        odd = os.path.join(os.fsencode(self.music), b"caf\xe9 \xff.mp3")
        shutil.copyfile(os.path.join(SAMPLES, MP3), odd)
        locked = self.copy(MP3, "locked/l.mp3")
        os.chmod(os.path.dirname(locked), 0o700)
        os.chmod(self.dir, 0o755)
        os.chmod(self.music, 0o777)
        status, out, err = (run_unprivileged if AS_ROOT else self.run_here)(
            "rename", "--to", "{album} - {title}.{ext}", "--apply", self.music)
        self.assertEqual(status, 1)
        self.assertIn(f"{plain}: {{album}} is empty; left alone", err)
        self.assertIn("locked: the folder cannot be read", err)
        self.assertTrue(os.path.exists(os.path.join(self.music, "Samples - Sample tone.mp3")), out)
        self.assertFalse(os.path.exists(odd), "a name that is not UTF-8 is renamed too")

    def test_a_question_on_a_terminal(self):
        path = self.copy(MP3, "old.mp3")
        for answer, renamed in ((b"n\n", False), (b"y\n", True)):
            leader, follower = pty.openpty()
            process = subprocess.Popen([VOMTRAIL, "rename", "--to", "{title}.{ext}", path], stdin=follower,
                                       stdout=follower, stderr=subprocess.PIPE, env=self.env)
            os.close(follower)
            screen = b""
            while b"[y/N]" not in screen:
                screen += os.read(leader, 1024)
            os.write(leader, answer)
            process.wait(timeout=60)
            os.close(leader)
            self.assertIn(b"old.mp3 -> ", screen)
            self.assertEqual(os.path.exists(os.path.join(self.music, "Sample tone.mp3")), renamed, answer)


def table_rows(text):
    return list(csv.DictReader(io.StringIO(text)))


@unittest.skipIf(ON_WINE, "native build")
class ExportImportTests(Collection):
    def test_export_rows_as_csv_and_json(self):
        mp3 = self.copy(MP3, "A/one.mp3")
        self.copy(WAVE, "A/B/two ü.wav")
        odd = os.path.join(os.fsencode(self.music), b"A/\xff.mp3")
        shutil.copyfile(os.path.join(SAMPLES, RMP3), odd)
        os.mkdir(os.path.join(self.music, "shut"))
        self.copy(MP3, "shut/hidden.mp3")
        os.chmod(os.path.join(self.music, "shut"), 0)
        os.chmod(self.dir, 0o755)
        os.chmod(self.music, 0o755)
        status, out, err = (run_unprivileged if AS_ROOT else self.run_here)("export", self.music)
        os.chmod(os.path.join(self.music, "shut"), 0o755)
        shutil.rmtree(os.path.join(self.music, "shut"))
        self.assertEqual(status, 1)
        self.assertIn("shut: the folder cannot be read: access denied", err)
        rows = table_rows(out)
        self.assertEqual([row["path"] for row in rows],
                         [f"{self.music}/A/B/two ü.wav", f"{self.music}/A/one.mp3", f"{self.music}/A/\\xff.mp3"])
        wave, one, odd_row = rows
        self.assertEqual((one["form"], one["title"], one["track"], one["genre"]), ("mp3", "Sample tone", "3", "Rock"))
        self.assertEqual(one["size"], str(os.path.getsize(mp3)))
        self.assertEqual((wave["form"], wave["INAM"], wave["title"]), ("wave", "WAVE tone", ""))
        self.assertEqual((odd_row["path_hex"], one["path_hex"]), (odd.hex(), ""))

        status, out, err = self.run_here("export", "--json", "--jobs", "3", self.music)
        self.assertEqual(status, 0, err)
        objects = [json.loads(line) for line in out.splitlines()]
        self.assertEqual([o["title"] for o in objects], [r["title"] for r in rows])
        self.assertEqual(objects[1]["size"], os.path.getsize(mp3))
        self.assertEqual(objects[2]["path_hex"], odd.hex())

    def spreadsheet_round_trip(self, table):
        paths = collection_folder.make(SAMPLES, self.music)
        status, out, err = self.run_here("import", table, cwd=self.music)
        self.assertEqual((status, err), (0, ""))
        self.assertIn('./Kind of Blue/Ça va.rmp3\n  comment: "Written by vomtrail" -> "line one\\x0aline two"', out)
        self.assertIn("3 to write, 0 unchanged, 0 refused; nothing written", out)
        status, out, err = self.run_here("import", "--apply", table, cwd=self.music)
        self.assertEqual(status, 0, err)
        # The MP3 sample starts with an ID3v2 tag, which the import leaves as it is.
        self.assertEqual(err, "vomtrail: ./Kind of Blue/01 So What.mp3: the file starts with an ID3v2 tag, whose "
                              "texts players usually show; only the ID3v1 texts are changed\n")
        self.assertIn("3 written, 0 unchanged, 0 refused, 0 failed", out)
        rows = {row["path"]: row for row in table_rows(self.run_here("export", ".", cwd=self.music)[1])}
        mp3, rmp3, wave = (rows["./" + os.path.relpath(path, self.music)] for path in paths)
        self.assertEqual((mp3["title"], mp3["genre"], mp3["year"]), ("So What; (Live)", "Jazz", "2024"))
        self.assertEqual((rmp3["comment"], rmp3["ICMT"]), ("line one\nline two", ""), "only the cell that differs")
        self.assertEqual(wave["INAM"], "Blåtoner")
        self.assertIn("Blåtoner".encode("cp1252"), read(paths[2]))
        status, out, _ = self.run_here("import", table, cwd=self.music)
        self.assertIn("0 to write, 3 unchanged", out)

    def test_libreoffice_csv_with_commas(self):
        self.spreadsheet_round_trip(os.path.join(DATA, "libreoffice-comma.csv"))

    def test_libreoffice_csv_with_semicolons(self):
        self.spreadsheet_round_trip(os.path.join(DATA, "libreoffice-semicolon.csv"))

    def test_csv_with_a_byte_order_mark_and_crlf(self):
        with open(os.path.join(DATA, "libreoffice-semicolon.csv"), "rb") as f:
            text = f.read().replace(b"\n", b"\r\n")
        table = os.path.join(self.dir, "excel.csv")
        with open(table, "wb") as f:
            f.write(b"\xef\xbb\xbf" + text)
        self.spreadsheet_round_trip(table)

    def test_rows_of_changed_files_and_unknown_columns(self):
        paths = collection_folder.make(SAMPLES, self.music)
        with open(os.path.join(DATA, "libreoffice-comma.csv"), encoding="utf-8") as f:
            text = f.read().replace('"path_hex"', '"path_hex","rating"')
        table = os.path.join(self.dir, "t.csv")
        with open(table, "w", encoding="utf-8") as f:
            f.write(text)
        with open(paths[0], "ab") as f:
            f.write(b"\0")
        before = read(paths[0])
        status, out, err = self.run_here("import", "--apply", table, cwd=self.music)
        self.assertEqual(status, 1)
        self.assertIn('unknown column "rating"; its cells are not written', err)
        self.assertIn("01 So What.mp3: line 2: the file changed since the export", err)
        self.assertIn("2 written, 0 unchanged, 1 refused, 0 failed", out)
        self.assertEqual(read(paths[0]), before)

    def test_json_lines_import(self):
        path = self.copy(MP3, "j.mp3")
        status, out, _ = self.run_here("export", "--json", path)
        row = json.loads(out)
        row.update(title="From JSON", track=9, artist="Vomtrail")
        status, out, err = self.run_here("import", "--apply", "-", stdin=json.dumps(row).encode())
        self.assertEqual(status, 0, err)
        self.assertIn('title: "Sample tone" -> "From JSON"', out)
        self.assertIn('track: "3" -> "9"', out)
        self.assertNotIn("artist", out)


@unittest.skipIf(ON_WINE, "native build")
class UndoTests(Collection):
    def import_row(self, path, **cells):
        status, out, _ = self.run_here("export", "--json", path)
        row = json.loads(out)
        row.update(cells)
        return self.run_here("import", "--apply", "-", stdin=json.dumps(row).encode())

    def test_in_place_and_moving_writes_are_undone_byte_for_byte(self):
        for sample, cells in ((MP3, {"title": "In place"}), (WAVE, {"INAM": "Head list"}),
                              (WAVE, {"form": "rmp3"}), (RMP3, {"form": "mp3", "title": "Moved"})):
            for limit in ("1G", "64K"):  # 64K: no room for whole files
                with self.subTest(sample=sample, cells=cells, limit=limit):
                    self.env["VOMTRAIL_JOURNAL_SIZE"] = limit
                    path = self.copy(sample, "u/" + sample)
                    before, stamp = read(path), os.stat(path).st_mtime_ns
                    status, out, err = self.import_row(path, **cells)
                    self.assertEqual(status, 0, err)
                    self.assertNotEqual(read(path), before)
                    status, out, err = self.run_here("undo")
                    self.assertEqual(status, 0, err)
                    self.assertIn(": restored as before run", out)
                    self.assertEqual(read(path), before)
                    self.assertEqual(os.stat(path).st_mtime_ns, stamp)

    def test_a_file_changed_since_is_refused(self):
        path = self.copy(MP3, "c.mp3")
        self.assertEqual(self.import_row(path, title="First")[0], 0)
        with open(path, "ab") as f:
            f.write(b"appended by another program")
        changed = read(path)
        status, out, err = self.run_here("undo")
        self.assertEqual(status, 1)
        self.assertIn("c.mp3: changed since run 1; left as it is", err)
        self.assertEqual(read(path), changed)
        self.assertIn("0 put back, 0 unchanged, 1 refused", out)

    def test_history_undo_of_undo_and_limits(self):
        path = self.copy(MP3, "h.mp3")
        original = read(path)
        self.import_row(path, title="One")
        edited = read(path)
        self.run_here("undo")
        status, out, _ = self.run_here("history")
        lines = out.splitlines()
        self.assertRegex(lines[0], r"^run 1  \d{4}-\d\d-\d\d \d\d:\d\d:\d\d UTC  1 file  import --apply -  \(undone by run 2\)$")
        self.assertRegex(lines[1], r"^run 2  .*  1 file  undo  \(undo of run 1\)$")
        status, out, _ = self.run_here("history", "--json", "1")
        self.assertEqual(json.loads(out)["entries"], [{"what": "written", "path": path}])
        self.assertEqual(self.run_here("undo", "2")[0], 0)  # undoing the undo writes the edit again
        self.assertEqual(read(path), edited)
        self.assertEqual(self.run_here("undo")[0], 0)
        self.assertEqual(read(path), original)

        self.env["VOMTRAIL_JOURNAL_SIZE"] = "0"
        self.import_row(path, title="Unjournalled")
        self.assertNotIn("Unjournalled", self.run_here("history")[1])
        self.env["VOMTRAIL_JOURNAL_SIZE"] = "100"
        status, out, err = self.import_row(path, title="Full")
        self.assertEqual(status, 0, "a full journal blocks no write")
        self.assertIn("the undo journal is full (see --journal-size); undo cannot put this file back", err)
        self.assertEqual(self.run_here("import", "--journal-days", "x", "t.csv")[0], 2)


@unittest.skipIf(ON_WINE, "native build")
class SetFolderTests(Collection):
    def test_patterns_from_names_and_a_summary(self):
        a = self.copy(RMP3, "Miles Davis - Kind of Blue/01 So What.rmp3")
        b = self.copy(RMP3, "Miles Davis - Kind of Blue/sub/02 Freddie Freeloader.rmp3")
        odd = self.copy(RMP3, "Miles Davis - Kind of Blue/no number.rmp3")
        self.copy(WAVE, "elsewhere/w.wav")
        status, out, err = self.run_here("set", "--from-name", "{artist} - {album}/{track} {title}",
                                         "--comment", "{title:upper} ({{live}})", "--jobs", "3",
                                         os.path.join(self.music, "Miles Davis - Kind of Blue"))
        self.assertEqual(status, 1)
        self.assertIn(f"{odd}: the path does not match --from-name; left alone", err)
        # The file in the folder below takes its folder's name as the album.
        self.assertIn(f"{b}: the path does not match --from-name; left alone", err)
        self.assertRegex(out, r"1 written, 0 unchanged, 2 refused, 0 failed \(run \d+, vomtrail undo reverses it\)")
        row = json.loads(self.run_here("export", "--json", a)[1])
        self.assertEqual((row["artist"], row["album"], row["track"], row["title"], row["comment"]),
                         ("Miles Davis", "Kind of Blue", "1", "So What", "SO WHAT ({live})"))
        # Once more: nothing differs, so nothing is written.
        before = read(a)
        status, out, _ = self.run_here("set", "--from-name", "{artist} - {album}/{track} {title}",
                                       "--comment", "{title:upper} ({{live}})", a)
        self.assertEqual((status, out), (0, ""))
        self.assertEqual(read(a), before)

    def test_folders_are_walked_and_undone(self):
        files = [self.copy(MP3, "x/a.mp3"), self.copy(RMP3, "x/y/b.rmp3"), self.copy(WAVE, "x/y/z/c.wav")]
        with open(os.path.join(self.music, "x", "notes.txt"), "w") as notes:
            notes.write("text")
        before = self.snapshot()
        status, out, err = self.run_here("set", "--genre", "Jazz", "--title", "{parent} {stem}", self.music)
        self.assertEqual(status, 0, err)
        self.assertIn("3 written, 0 unchanged, 0 refused, 0 failed", out)
        titles = [json.loads(line)["title"] for line in self.run_here("export", "--json", *files)[1].splitlines()]
        self.assertEqual(titles, ["x a", "y b", "z c"])
        self.assertEqual(read(os.path.join(self.music, "x", "notes.txt")), b"text", "only audio names are walked")
        status, out, err = self.run_here("undo")
        self.assertEqual(status, 0, err)
        self.assertEqual(self.snapshot(), before)

    def test_mistakes_in_patterns_touch_no_file(self):
        path = self.copy(MP3, "p.mp3")
        before = read(path)
        for options in (["--title", "{titel}"], ["--info", "ICOP={"], ["--from-name", "{stem}"],
                        ["--from-name", "{artist}{title}"]):
            status, _, err = self.run_here("set", *options, path)
            self.assertEqual(status, 2, options)
            self.assertNotIn(path, err)
        self.assertEqual(read(path), before)


@unittest.skipIf(ON_WINE, "native build")
class ScanTests(Collection):
    def many(self, count):
        first = self.copy(MP3, "many/0000.mp3")
        for i in range(1, count):
            os.link(first, os.path.join(self.music, "many", f"{i:04}.mp3"))

    def test_threads_keep_the_order_of_one(self):
        self.many(300)
        self.copy(RMP3, "many/0150 x.rmp3")
        outputs = {jobs: self.run_here("export", "--jobs", jobs, self.music)[1] for jobs in ("1", "2", "16")}
        self.assertEqual(outputs["1"], outputs["2"])
        self.assertEqual(outputs["1"], outputs["16"])
        self.assertEqual(len(outputs["1"].splitlines()), 302)
        self.assertEqual(self.run_here("export", "--jobs", "0", self.music)[0], 2)

    def test_ctrl_c_ends_after_the_file_in_hand(self):
        self.many(6000)
        process = subprocess.Popen([VOMTRAIL, "export", "--jobs", "1", self.music], stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, env=self.env, bufsize=0)
        head = process.stdout.readline() + process.stdout.readline()
        process.send_signal(signal.SIGINT)
        out, err = process.communicate(timeout=120)
        rows = (head + out).decode().splitlines()[1:]
        self.assertEqual(process.returncode, 1)
        self.assertRegex(err.decode(), r"interrupted: \d+ of 6000 files exported; the others were left alone")
        done = int(err.decode().split("interrupted: ")[1].split()[0])
        self.assertEqual(len(rows), done, "every file done is in the table, whole")
        self.assertTrue(all(row.endswith(",") for row in rows))
        self.assertLess(done, 6000)

    def test_progress_shows_the_rate_and_what_is_left(self):
        self.many(20000)
        leader, follower = pty.openpty()
        started = time.monotonic()
        process = subprocess.Popen([VOMTRAIL, "export", "--jobs", "1", self.music], stdout=subprocess.DEVNULL,
                                   stderr=follower, env=self.env)
        os.close(follower)
        screen = b""
        while process.poll() is None or not screen:
            try:
                screen += os.read(leader, 65536)
            except OSError:
                break
        process.wait()
        os.close(leader)
        if time.monotonic() - started < 1.5:
            self.skipTest("the run was too short to show a rate")
        self.assertRegex(screen.decode("utf-8", "replace"), r"\[\d+/20000\] \d+ files/s, \d+:\d\d left  ")


if __name__ == "__main__":
    unittest.main()
