"""End-to-end tests of `vomtrail set` on MP3 files tagged by other writers:
the ID3v2 tag kept in step with the text options, and texts copied between
tag kinds (--from). Independent readers (mutagen, eyeD3, ffprobe, TagLib)
check what the command wrote; the cover picture and the audio must come
through byte for byte. Run as the other command tests are (VOMTRAIL,
VOMTRAIL_SAMPLES, VT_TAGLIB_READ)."""
import os
import subprocess
import unittest
import zlib

from test_vomtrail import ON_WINE, VOMTRAIL, EncodedFiles, info_json, read, rmp3_around, run, tool

EDIT = ["--title", "T", "--artist", "A", "--album", "B", "--year", "2024", "--comment", "C", "--track", "3",
        "--genre", "Rock"]
SHOWN = {"title": "T", "artist": "A", "album": "B", "year": "2024", "comment": "C", "track": "3", "genre": "Rock"}


def id3v2_size(data):
    """The bytes of the ID3v2 tag at the start: header and body."""
    assert data[:3] == b"ID3", "no ID3v2 tag at the start"
    return 10 + sum((data[6 + i] & 0x7F) << (7 * (3 - i)) for i in range(4))


def audio_of(data):
    """The bytes behind the ID3v2 tag, up to an ID3v1 block at the end."""
    end = len(data) - 128 if data[-128:-125] == b"TAG" else len(data)
    return data[id3v2_size(data):end]


def mutagen_view(path):
    from mutagen.id3 import ID3
    tags = ID3(path, load_v1=False)
    text = lambda frame: str(tags[frame]) if frame in tags else None
    comments = [str(c) for c in tags.getall("COMM") if not c.desc and c.lang == "eng"]
    year = text("TDRC") or text("TYER")
    return {"title": text("TIT2"), "artist": text("TPE1"), "album": text("TALB"), "year": year and year[:4],
            "comment": comments[0] if comments else None, "track": text("TRCK"),
            "genre": " / ".join(tags["TCON"].genres) if "TCON" in tags else None,
            "version": tags.version[1], "pictures": [p.data for p in tags.getall("APIC")]}


def eyed3_view(path):
    import eyed3
    eyed3.log.setLevel("ERROR")
    tag = eyed3.load(path).tag
    comment = next((c.text for c in tag.comments if not c.description), None)
    return {"title": tag.title, "artist": tag.artist, "album": tag.album, "year": str(tag.getBestDate().year),
            "comment": comment, "track": str(tag.track_num[0]), "genre": tag.genre.name if tag.genre else None}


def ffprobe_view(path):
    probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format_tags", "-of", "default=nw=1", path],
                           capture_output=True, text=True, check=True).stdout
    tags = dict(line[4:].split("=", 1) for line in probe.splitlines() if line.startswith("TAG:"))
    return {"title": tags.get("title"), "artist": tags.get("artist"), "album": tags.get("album"),
            "year": tags.get("date", "")[:4], "comment": tags.get("comment"), "track": tags.get("track"),
            "genre": tags.get("genre")}


def taglib_view(path):
    out = subprocess.run([os.environ["VT_TAGLIB_READ"], "id3v2", path], capture_output=True, text=True, check=True)
    facts = dict(line.split("=", 1) for line in out.stdout.splitlines())
    return {key: facts.get(key) for key in SHOWN}


@unittest.skipIf(ON_WINE, "native build")
class Id3v2SyncTests(EncodedFiles):
    """MP3 files as eyeD3 (2.3 and 2.4), mid3v2, id3v2, lame and ffmpeg tag
    them, each with a cover where the writer can add one."""

    def tagged(self):
        cover = os.path.join(self.dir, "cover.png")
        tool("ffmpeg", "-nostdin", "-v", "error", "-f", "lavfi", "-i", "nullsrc=s=160x120,geq=random(1)*255:128:128",
             "-frames:v", "1", cover)  # noise: a picture of some 10 KiB, over several pages
        files = []
        # eyeD3's -Y is a release date (TDRL) in 2.4, which the command
        # leaves alone; the recording date is the year players show.
        for version, date in (("2.3", ["-Y", "1999"]), ("2.4", ["--recording-date", "1999-05-06"])):
            path = self.lame(f"eyed3-{version}.mp3", "-b", "64")
            tool("eyeD3", "-Q", f"--to-v{version}", "-t", "Old tïtle 日本", "-a", "Old artist", "-A", "Old album",
                 "-n", "2", "-N", "5", "-G", "Jazz", "-c", "old comment", *date,
                 "--add-image", f"{cover}:FRONT_COVER", path)
            files.append(path)
        path = self.lame("mid3v2.mp3", "-b", "64")
        tool("mid3v2", "-t", "Old title", "-a", "Old artist", "-A", "Old album", "-y", "2005-06-07", "-g", "Pop",
             "-T", "4/8", "-c", "old comment", "-p", f"{cover}:Front:3:image/png", path)
        files.append(path)
        path = self.lame("id3lib.mp3", "-b", "64")
        tool("id3v2", "-t", "Old title", "-a", "Old artist", "-A", "Old album", "-y", "2006", "-T", "5/10", "-g",
             "17", "-c", "old comment", path)
        files.append(path)
        files.append(self.lame("lame.mp3", "-b", "64", "--add-id3v2", "--tt", "Old title", "--ta", "Old artist",
                               "--tl", "Old album", "--ty", "2001", "--tn", "3/12", "--tg", "Jazz", "--tc", "old",
                               "--ti", cover))
        for version in ("3", "4"):
            target = os.path.join(self.dir, f"ffmpeg-2{version}.mp3")
            tool("ffmpeg", "-nostdin", "-v", "error", "-i", self.source(), "-i", cover, "-map", "0", "-map", "1",
                 "-c:a", "libmp3lame", "-c:v", "copy", "-disposition:v", "attached_pic", "-id3v2_version", version,
                 "-metadata", "title=Old title", "-metadata", "artist=Old artist", "-metadata", "date=2007",
                 "-metadata", "track=6/9", "-metadata", "genre=Ambient", target)
            files.append(target)
        return files

    def test_every_peer_shows_the_new_texts_and_the_cover_and_audio_stay(self):
        try:
            import eyed3  # noqa: F401
            import mutagen  # noqa: F401
        except ImportError:
            self.skipTest("python3-mutagen and eyeD3's python3-eyed3 are needed")
        grown = "A title that outgrows the padding " * 60
        # The short texts fit the tag (in place, or through a new file where
        # the picture behind them shifts); the long title makes it grow.
        edits = ((EDIT, SHOWN), (["--title", grown], dict(SHOWN, title=grown)))
        for path in self.tagged():
            before = read(path)
            old = mutagen_view(path)
            for edit, expected in edits:
                with self.subTest(file=os.path.basename(path), grows=expected is not SHOWN):
                    status, out, err = run("set", *edit, path)
                    self.assertEqual((status, out), (0, f"{path}: written as mp3\n"), err)
                    self.assertFalse([n for n in os.listdir(self.dir) if n.startswith(".")], "a new file left behind")
                    after = read(path)
                    self.assertEqual(audio_of(after), audio_of(before), "the audio changed")
                    new = mutagen_view(path)
                    self.assertEqual((new["version"], new["pictures"]), (old["version"], old["pictures"]))
                    self.assertEqual({key: new[key] for key in SHOWN}, expected, "mutagen")
                    self.assertEqual(eyed3_view(path), expected, "eyeD3")
                    self.assertEqual(ffprobe_view(path), expected, "ffprobe")
                    if os.environ.get("VT_TAGLIB_READ"):
                        self.assertEqual(taglib_view(path), expected, "TagLib")
                    self.assertEqual(info_json(path)["id3v1"]["title"], expected["title"][:30])
                    # The tag holds these texts: a second run writes the same file.
                    self.assertEqual(run("set", *edit, path)[0], 0)
                    self.assertEqual(read(path), after)
            self.assertGreater(id3v2_size(read(path)), id3v2_size(before))

    def test_dry_run_and_what_is_left_alone(self):
        path = self.lame("plain.mp3", "-b", "64", "--add-id3v2", "--tt", "Old title", "--pad-id3v2-size", "4000")
        before = read(path)
        status, out, err = run("set", "--dry-run", "--title", "New title", path)
        self.assertEqual(status, 0, err)
        self.assertIn('ID3v2 title "Old title" -> "New title"', out)
        self.assertRegex(out, r"the 2\.3 tag keeps its \d+ bytes: \d+ bytes would be written in place")
        self.assertRegex(run("set", "--dry-run", "--comment", "c" * 5000, path)[1], r"grows from \d+ to \d+ bytes; "
                         r"the audio moves: a new file of \d+ bytes")
        # A tag that cannot grow fails first, with nothing written.
        limit = "ulimit -f %d; exec \"$0\" \"$@\"" % (len(before) // 512)
        done = subprocess.run(["sh", "-c", limit, VOMTRAIL, "set", "--comment", "c" * 5000, path], capture_output=True,
                              text=True)
        self.assertRegex(done.stderr, f"{path}: the file could not grow .*: the ID3v2 tag could not be written; "
                                      "nothing written\n")
        self.assertEqual((done.returncode, read(path)), (1, before))

        # --id3v1-only keeps the tag byte for byte, as before this option.
        self.assertEqual(run("set", "--id3v1-only", "--title", "V1 only", path)[:2], (0, f"{path}: written as mp3\n"))
        self.assertEqual(read(path)[:id3v2_size(before)], before[:id3v2_size(before)])

        # A compressed frame: the tag is left as it is, the ID3v1 block written.
        packed = (17).to_bytes(4, "big") + zlib.compress(b"\x00Old packed title")
        frame = b"TIT2" + len(packed).to_bytes(4, "big") + b"\x00\x80" + packed
        tag = b"ID3\x03\x00\x00" + bytes([0, 0, len(frame) >> 7, len(frame) & 0x7F]) + frame
        packed_file = self.write("packed.mp3", tag + audio_of(before))
        status, _, err = run("set", "--title", "New", packed_file)
        self.assertEqual(status, 0, err)
        self.assertIn("the ID3v2 tag is left as it is (frame TIT2 is compressed); players that read it go on "
                      "showing its texts", err)
        self.assertTrue(read(packed_file).startswith(tag))
        self.assertEqual(info_json(packed_file)["id3v1"]["title"], "New")

        # A tag in an RMP3 data chunk is not the MP3 file's: it stays as it is.
        rmp3 = rmp3_around(os.path.join(self.dir, "k.rmp3"), before)
        status, _, err = run("set", "--title", "New", rmp3)
        self.assertEqual(status, 0)
        self.assertIn("the data chunk starts with an ID3v2 tag", err)
        self.assertIn(before[:id3v2_size(before)], read(rmp3))


@unittest.skipIf(ON_WINE, "native build")
class TagCopyTests(EncodedFiles):
    def test_from_id3v2_fills_id3v1_refusing_what_the_code_page_cannot_hold_unless_forced(self):
        path = self.lame("tagged.mp3", "-b", "64", "--id3v2-only")
        tool("mid3v2", "-t", "A title longer than thirty bytes", "-a", "Артист", "-A", "Album", "-y", "2005-06-07",
             "-g", "Pop", "-T", "4/8", "-c", "comment", path)
        before = read(path)
        status, _, err = run("set", "--from", "id3v2", path)
        self.assertIn("the ID3v2 artist has characters that CP1252 cannot hold; nothing written (--force", err)
        self.assertEqual((status, read(path)), (1, before))

        status, _, err = run("set", "--from", "id3v2", "--force", "--album", "Given", path)
        self.assertEqual(status, 0, err)
        self.assertIn("the ID3v1 title (from the ID3v2 title) is cut to 30 bytes", err)
        self.assertEqual(info_json(path)["id3v1"], {
            "version": "1.1", "title": "A title longer than thirty byt", "artist": "??????", "album": "Given",
            "year": "2005", "comment": "comment", "track": 4, "genre": 13, "genre_name": "Pop"})
        # The text option reaches the ID3v2 tag too; the copied texts come from it.
        self.assertEqual((mutagen_view(path)["album"], mutagen_view(path)["title"]),
                         ("Given", "A title longer than thirty bytes"))

        self.assertEqual(run("set", "--from", "id3v2", "--encoding", "CP1251", path)[0], 0)
        self.assertEqual(info_json(path, "--encoding", "CP1251")["id3v1"]["artist"], "Артист")

    def test_from_info_and_from_id3v1_on_riff_files(self):
        wave = self.ffmpeg_wave()
        self.assertEqual(run("set", "--from", "info", wave)[0], 0)
        block = info_json(wave)["id3v1"]
        self.assertEqual((block["title"], block["artist"]), ("FF WAV Title", "FF WAV Artist"))

        self.assertEqual(run("set", "--id3v1-only", "--title", "Block title", "--info", "INAM=Info title", wave)[0], 0)
        self.assertEqual(run("set", "--from", "id3v1", wave)[0], 0)
        probe = subprocess.run(["ffprobe", "-v", "error", "-show_entries", "format_tags=title", "-of", "csv=p=0", wave],
                               capture_output=True, text=True, check=True)
        self.assertEqual(probe.stdout.strip(), "Block title")

        mp3 = self.lame("bare.mp3", "-b", "64", "--id3v1-only", "--tt", "x")
        before = read(mp3)
        status, out, err = run("set", "--from", "id3v1", mp3)
        self.assertEqual((status, out), (0, ""))
        self.assertIn("an MP3 file keeps no RIFF INFO texts for --from id3v1 to fill", err)
        self.assertEqual(read(mp3), before)


if __name__ == "__main__":
    unittest.main()
