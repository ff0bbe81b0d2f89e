"""The Python bindings against the real library and the committed samples.

VOMTRAIL_LIBRARY names the library under test (else the system's is used),
VOMTRAIL_INSPECT_LIBRARY the inspection's library (else the one beside it),
VOMTRAIL_SAMPLES the samples folder, VOMTRAIL_WRONG_VERSION_LIBRARY a
library that answers another version, VOMTRAIL_VERSION the version the
build gave the module and VOMTRAIL_INFO_IDS_HEADER the C table of INFO ids.
"""
import ctypes
import errno
import os
import re
import shutil
import tempfile
import unittest
import warnings

import vomtrail

SAMPLES = os.environ.get("VOMTRAIL_SAMPLES", os.path.join(os.path.dirname(__file__), "..", "..", "samples"))


class RecordLayoutTests(unittest.TestCase):
    # The offsets the C header asserts; the host and the module share them.
    OFFSETS = {
        "MpegFamily": 0, "MpegVersion": 1, "Layer": 2, "Protected": 3, "Bitrate": 4, "SampleRate": 8,
        "Padding": 12, "PrivateBit": 13, "ChannelMode": 14, "Copyright": 15, "Original": 16, "Emphasis": 17,
        "Duration": 20, "FrameCount": 24, "FileKind": 28, "Items": 29, "Track": 5920, "TagKind": 5924,
        "Vbr": 5925, "FileSize": 5928, "HasTag": 5932,
    }

    def test_offsets_and_size_match_the_c_record(self):
        for name, offset in self.OFFSETS.items():
            self.assertEqual(getattr(vomtrail.TagInfo, name).offset, offset, name)
        self.assertEqual(ctypes.sizeof(vomtrail.Str255), 256)
        self.assertEqual(ctypes.sizeof(vomtrail.TagInfo), 5936)

    def test_values_that_do_not_fit_their_field_are_refused(self):
        info = vomtrail.Info()
        info.FileKind = 256
        with self.assertRaises(ValueError):
            info.to_record()
        info.FileKind, info.Items[17] = 0, b"x" * 256
        with self.assertRaises(ValueError):
            info.to_record()


    def test_info_ids_are_the_c_table(self):
        with open(os.environ["VOMTRAIL_INFO_IDS_HEADER"], encoding="ascii") as f:
            table = re.findall(r'X\((\d+), "(\w{4})"', f.read())
        self.assertEqual([int(item) for item, _ in table], list(range(17)))
        self.assertEqual(tuple(name for _, name in table), vomtrail.INFO_IDS)


class ReadWriteTests(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)

    def copy(self, sample):
        path = os.path.join(self.folder, sample)
        shutil.copyfile(os.path.join(SAMPLES, sample), path)
        return path

    def test_reads_each_kind_of_sample(self):
        mp3 = vomtrail.read(os.path.join(SAMPLES, "tone-vbr.mp3"))
        self.assertEqual((mp3.FileKind, mp3.Layer, mp3.Vbr, mp3.HasTag, mp3.Track), (vomtrail.KIND_MPEG, 3, 1, 1, 3))
        self.assertEqual(mp3.Title, b"Sample tone")
        self.assertEqual(mp3.text("Title", "ascii"), "Sample tone")
        self.assertEqual(mp3.FileSize, os.path.getsize(os.path.join(SAMPLES, "tone-vbr.mp3")))
        self.assertEqual(vomtrail.read(os.path.join(SAMPLES, "tone-mp3.wav")).FileKind, vomtrail.KIND_WAVE)
        rmp3 = vomtrail.read(os.path.join(SAMPLES, "tone.rmp3"))
        self.assertEqual(rmp3.FileKind, vomtrail.KIND_RMP3)
        self.assertEqual(rmp3.InfoItems["ISFT"], b"Vom Trail!")

    def test_write_keeps_the_kind_and_the_new_texts_read_back(self):
        for sample in ("tone-vbr.mp3", "tone-mp3.wav", "tone.rmp3"):
            with self.subTest(sample=sample):
                path = self.copy(sample)
                info = vomtrail.read(path)
                info.Title, info.Genre = "Ünïcode".encode("cp1252"), bytes([17])
                vomtrail.write(path, info)
                again = vomtrail.read(path)
                self.assertEqual(again.FileKind, info.FileKind)
                self.assertEqual(again.text("Title").rstrip(), "Ünïcode")
                self.assertEqual(again.Genre, bytes([17]))
                # The block itself, as any ID3v1 reader finds it.
                with open(path, "rb") as f:
                    data = f.read()
                block = data[-128:] if sample.endswith(".mp3") else data[data.rindex(b"IID3") + 8 :][:128]
                self.assertEqual(block[:3 + 7], b"TAG" + "Ünïcode".encode("cp1252"))

    def test_explicit_mode_converts_and_the_record_learns_item_10(self):
        path = self.copy("tone-vbr.mp3")
        info = vomtrail.read(path)
        vomtrail.write(path, info, mode=vomtrail.KIND_RMP3)
        self.assertEqual(info.Items[10], b"Vom Trail!")
        with open(path, "rb") as f:
            self.assertEqual(f.read(12)[8:], b"RMP3")
        self.assertEqual(vomtrail.read(path).FileKind, vomtrail.KIND_RMP3)


class TextTests(unittest.TestCase):
    def test_str_texts_in_the_package_code_page_and_bytes_alike(self):
        info = vomtrail.Info()
        info.Title, info.Artist = "Ünïcode", b"Bytes"
        self.assertEqual((info.Title, info.Artist), ("Ünïcode".encode("cp1252"), b"Bytes"))
        previous = vomtrail.set_encoding("cp932")
        try:
            info = vomtrail.Info()
            info.Title = "日本語"
            self.assertEqual(info.Title, "日本語".encode("cp932"))
            self.assertEqual(info.text("Title"), "日本語")
        finally:
            vomtrail.set_encoding(previous)
        with self.assertRaises(UnicodeEncodeError):
            vomtrail.Info().Title = "日本語"  # not in CP1252
        with self.assertRaises(TypeError):
            vomtrail.Info().Title = 5

    def test_texts_longer_than_their_field_are_refused(self):
        info = vomtrail.Info()
        with self.assertRaisesRegex(ValueError, "at most 30 bytes"):
            info.Title = "x" * 40
        with self.assertRaisesRegex(ValueError, "at most 4 bytes"):
            info.Year = "20245"
        info.Comment = "c" * 30
        info.Track = 5  # now the comment has 28 bytes: write() says what it cuts
        with self.assertRaisesRegex(ValueError, "at most 28 bytes"):
            info.Comment = "c" * 29
        with warnings.catch_warnings(record=True) as caught:
            warnings.simplefilter("always")
            info.warn_of_cut_texts()
        self.assertEqual([str(w.message) for w in caught], ["Comment: 30 bytes, of which the ID3v1 block keeps 28"])

    def test_track_numbers(self):
        info = vomtrail.Info()
        info.Track = 255
        self.assertEqual((info.Track, info.TagKind), (255, vomtrail.TAG_ID3V11))
        for wrong in (300, -1):
            with self.assertRaises(ValueError):
                info.Track = wrong
        info.Track = None
        self.assertEqual((info.Track, info.TagKind), (0, vomtrail.TAG_ID3V10))


class ErrorTests(unittest.TestCase):
    def assertFails(self, code, call, *args):
        with self.assertRaises(vomtrail.VomtrailError) as caught:
            call(*args)
        self.assertIsInstance(caught.exception, OSError)
        self.assertEqual(caught.exception.winerror, code)
        return caught.exception

    def test_missing_file_and_folder(self):
        missing = os.path.join(tempfile.gettempdir(), "vomtrail-no-such-file.mp3")
        error = self.assertFails(2, vomtrail.read, missing)
        self.assertEqual((error.errno, error.filename, error.strerror), (errno.ENOENT, missing, "file not found"))
        self.assertFails(3, vomtrail.read, "/vomtrail-no-such-folder/a.mp3")
        self.assertFails(2, vomtrail.write, missing, vomtrail.Info(), 0)

    def test_names_the_module_cannot_take(self):
        self.assertEqual(self.assertFails(123, vomtrail.read, "a\0b.mp3").errno, errno.EINVAL)

    def test_what_is_not_a_file_is_named_for_what_it_is(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        self.assertEqual(self.assertFails(5, vomtrail.read, folder).strerror, "is a folder, not a file")
        fifo = os.path.join(folder, "fifo.mp3")
        os.mkfifo(fifo)
        self.assertIn("not a regular file", self.assertFails(5, vomtrail.read, fifo).strerror)
        loop = os.path.join(folder, "loop.mp3")
        os.symlink(loop, loop)
        error = self.assertFails(1117, vomtrail.read, loop)
        self.assertEqual((error.errno, error.strerror), (errno.ELOOP, "too many levels of symbolic links"))
        text = os.path.join(folder, "text.mp3")
        with open(text, "w") as f:
            f.write("plain text, no MPEG audio here\n")
        error = self.assertFails(38, vomtrail.read, text)
        self.assertNotIn("None", str(error))
        self.assertIn("ends before what it declares", str(error))


class LongPathTests(unittest.TestCase):
    """Paths longer than the module's 255 bytes, as deep folders make them."""

    def test_read_and_write_below_a_long_folder(self):
        top = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, top)
        folder = os.path.join(top, *(["f" * 60] * 6))
        os.makedirs(folder)
        path = os.path.join(folder, "tone-vbr.mp3")
        shutil.copyfile(os.path.join(SAMPLES, "tone-vbr.mp3"), path)
        self.assertGreater(len(os.fsencode(path)), 255)
        info = vomtrail.read(path)
        self.assertEqual(info.Title, b"Sample tone")
        info.Title = "Deep"
        vomtrail.write(path, info)
        self.assertEqual(vomtrail.read(path).Title, b"Deep")
        with open(path, "rb") as f:
            self.assertEqual(f.read()[-125:-121], b"Deep")


class InspectTests(unittest.TestCase):
    """vomtrail.inspect() against the samples: the report `vomtrail info
    --json` prints, as a dict."""

    def test_the_report_of_each_sample(self):
        mp3 = vomtrail.inspect(os.path.join(SAMPLES, "tone-vbr.mp3"))
        self.assertEqual((mp3["title"], mp3["title_source"], mp3["track"]), ("Sample tone", "id3v2", 3))
        self.assertEqual((mp3["seconds_source"], mp3["gapless"], mp3["encoder"]), ("xing", True, "LAME3.100"))
        self.assertEqual(mp3["record"]["frames"], vomtrail.read(os.path.join(SAMPLES, "tone-vbr.mp3")).FrameCount)
        self.assertEqual(mp3["id3v2_tags"][0]["title"], ["Sample tone"])
        wave = vomtrail.inspect(os.path.join(SAMPLES, "tone-mp3.wav"))
        self.assertEqual((wave["title"], wave["title_source"], wave["seconds_source"]), ("WAVE tone", "info", "fact"))
        self.assertEqual(vomtrail.inspect(os.path.join(SAMPLES, "tone.rmp3"))["info"]["ISFT"], "Vom Trail!")

    def test_failures_and_code_pages(self):
        with self.assertRaises(vomtrail.VomtrailError) as caught:
            vomtrail.inspect(os.path.join(SAMPLES, "no-such-file.mp3"))
        self.assertEqual(caught.exception.winerror, 2)
        with self.assertRaises(ValueError):
            vomtrail.inspect(os.path.join(SAMPLES, "tone-vbr.mp3"), encoding="no-such-code-page")
        self.assertEqual(vomtrail.inspect(os.path.join(SAMPLES, "tone.rmp3"), encoding="cp932")["ok"], True)


class LibraryTests(unittest.TestCase):
    def test_version(self):
        self.assertEqual(vomtrail.version(), os.environ["VOMTRAIL_VERSION"])

    def test_refuses_what_is_not_this_library_and_keeps_the_loaded_one(self):
        with self.assertRaises(vomtrail.LibraryError):
            vomtrail.load("libc.so.6")
        with self.assertRaises(vomtrail.LibraryError):
            vomtrail.load("/vomtrail-no-such-library.so")
        with self.assertRaisesRegex(vomtrail.LibraryError, "version 0.9"):
            vomtrail.load(os.environ["VOMTRAIL_WRONG_VERSION_LIBRARY"])
        self.assertEqual(vomtrail.read(os.path.join(SAMPLES, "tone-vbr.mp3")).Layer, 3)


if __name__ == "__main__":
    unittest.main()
