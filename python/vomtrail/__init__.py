"""Read and write the tags of MPEG audio files through libvomtrail.

    info = vomtrail.read("song.mp3")
    info.Title = b"New title"
    vomtrail.write("song.mp3", info)
"""
import ctypes
import os

from ._errors import LibraryError, VomtrailError
from ._info import Info
from ._library import load, library
from ._record import INFO_IDS, KIND_MPEG, KIND_RMP3, KIND_WAVE, Str255, TagInfo

__all__ = [
    "Info", "VomtrailError", "LibraryError", "read", "write", "version", "load",
    "INFO_IDS", "KIND_MPEG", "KIND_RMP3", "KIND_WAVE", "Str255", "TagInfo",
]
__version__ = "1.6.1"


def _name(path):
    raw = os.fsencode(path)
    if len(raw) > 255:
        raise ValueError("the module takes file names of at most 255 bytes, got %d" % len(raw))
    name = Str255()
    name.value = raw  # a zero byte inside is the module's to refuse (123)
    return name


def read(path):
    """The file's record, read into a cleared one."""
    name = _name(path)
    record = TagInfo()
    code = library().GetInfoResult(ctypes.byref(name), ctypes.byref(record))
    if code != 0:
        raise VomtrailError(code, os.fspath(path))
    return Info.from_record(record)


def write(path, info, mode=None):
    """Writes the file again from info: mode 0 a bare MPEG stream with an
    ID3v1 block, 1 a RIFF RMP3 file, 2 a WAVE file with new tag chunks;
    without a mode the file keeps its kind (info.FileKind). info gets back
    what the module changed in the record (item 10 after a RIFF write)."""
    if mode is None:
        mode = info.FileKind
    name = _name(path)
    record = info.to_record()
    code = library().SetInfo(ctypes.byref(name), ctypes.byref(record), int(mode))
    info.update_from(record)
    if code != 0:
        raise VomtrailError(code, os.fspath(path))


def version():
    """The loaded library's version text."""
    buffer = Str255()
    return library().GetVersion(ctypes.byref(buffer)).contents.value.decode("ascii")
