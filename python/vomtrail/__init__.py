"""Read and write the tags of MPEG audio files through libvomtrail.

    info = vomtrail.read("song.mp3")
    info.Title = "New title"          # str in the package's code page, or bytes
    vomtrail.write("song.mp3", info)
    report = vomtrail.inspect("song.mp3")   # what `vomtrail info --json` shows
"""
import contextlib
import ctypes
import json
import os

from ._errors import LibraryError, TextCutWarning, VomtrailError
from ._info import Info, get_encoding, set_encoding
from ._library import inspect_library, load, library
from ._record import (INFO_IDS, KIND_MPEG, KIND_RMP3, KIND_WAVE, MODE_MP3, MODE_RMP3, MODE_WAVE, TAG_ID3V10,
                      TAG_ID3V11, TAG_ID3V2, Str255, TagInfo)
from ._version import VERSION as __version__

__all__ = [
    "Info", "VomtrailError", "LibraryError", "TextCutWarning", "read", "write", "inspect", "version", "load",
    "set_encoding", "get_encoding", "INFO_IDS", "KIND_MPEG", "KIND_RMP3", "KIND_WAVE", "MODE_MP3", "MODE_RMP3",
    "MODE_WAVE", "TAG_ID3V10", "TAG_ID3V11", "TAG_ID3V2", "Str255", "TagInfo",
]

# The module takes names of at most 255 bytes.
_LONGEST_NAME = 255


def _counted(raw):
    name = Str255()
    name.value = raw  # a zero byte inside is the module's to refuse (123)
    return name


@contextlib.contextmanager
def _module_name(path):
    """The name the module is given for path. A longer path than it takes
    is reached through the open folder that holds the file: the file's own
    name behind the folder's descriptor in /proc/self/fd."""
    raw = os.fsencode(path)
    if len(raw) <= _LONGEST_NAME:
        yield _counted(raw)
        return
    folder, base = os.path.split(raw)
    try:
        descriptor = os.open(folder or b".", os.O_RDONLY | os.O_DIRECTORY | os.O_CLOEXEC)
    except OSError as error:
        raise VomtrailError(3 if error.errno in (2, 20) else 5, os.fspath(path)) from error
    try:
        short = b"/proc/self/fd/%d/%s" % (descriptor, base)
        if len(short) > _LONGEST_NAME:
            raise VomtrailError(123, os.fspath(path))
        yield _counted(short)
    finally:
        os.close(descriptor)


def read(path, encoding=None):
    """The file's record, read into a cleared one. encoding is the code page
    of its texts (default: the package's, see set_encoding)."""
    record = TagInfo()
    with _module_name(path) as name:
        code = library().GetInfoResult(ctypes.byref(name), ctypes.byref(record))
    if code != 0:
        raise VomtrailError(code, os.fspath(path))
    return Info.from_record(record, encoding)


def write(path, info, mode=None):
    """Writes the file again from info: MODE_MP3 a bare MPEG stream with an
    ID3v1 block, MODE_RMP3 a RIFF RMP3 file, MODE_WAVE a WAVE file with new
    tag chunks; without a mode the file keeps its kind (info.FileKind).
    Warns (TextCutWarning) of texts longer than the block keeps. info gets
    back what the module changed in the record (item 10 after a RIFF
    write)."""
    if mode is None:
        mode = info.FileKind
    record = info.to_record()
    info.warn_of_cut_texts()
    with _module_name(path) as name:
        code = library().SetInfo(ctypes.byref(name), ctypes.byref(record), int(mode))
    info.update_from(record)
    if code != 0:
        raise VomtrailError(code, os.fspath(path))


# The inspection's answers beside a report (Win32 codes).
_INVALID_PARAMETER, _INSUFFICIENT_BUFFER = 87, 122


def inspect(path, encoding=None):
    """What `vomtrail info --json` shows of the file, as a dict: the true
    length, bitrate and texts with their sources ("seconds" and
    "seconds_source", "title" and "title_source", ...), the module's own
    figures under "record", and every tag's contents ("id3v2_tags", "apev2",
    "id3v1", "info"). encoding is the code page of ID3v1 and INFO texts that
    are not UTF-8 (default: the package's). Raises VomtrailError when the
    file cannot be read, ValueError for an encoding the system does not
    know."""
    function = inspect_library().VtInspectJson
    name = os.fsencode(path)
    code_page = (encoding or get_encoding()).encode("ascii")
    needed = ctypes.c_size_t(0)
    code = function(name, code_page, None, 0, ctypes.byref(needed))
    while code == _INSUFFICIENT_BUFFER:  # again if the file grew in between
        buffer = ctypes.create_string_buffer(needed.value)
        code = function(name, code_page, buffer, needed.value, ctypes.byref(needed))
    if code == _INVALID_PARAMETER:
        raise ValueError("unknown encoding %r" % (encoding or get_encoding()))
    if code != 0:
        raise VomtrailError(code, os.fspath(path))
    return json.loads(buffer.value.decode("utf-8"))


def version():
    """The loaded library's version text."""
    buffer = Str255()
    return library().GetVersion(ctypes.byref(buffer)).contents.value.decode("ascii")
