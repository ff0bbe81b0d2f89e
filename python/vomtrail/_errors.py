"""Failures of the module as Python exceptions.

The module reports Win32 system error codes on every platform. Where a code
has an obvious POSIX counterpart, the exception carries it as errno too, so
that code written for OSError works unchanged. Some codes cover several
situations (the module answers "access denied" for a folder, a FIFO and a
file it may not write alike); the package looks at the path to say which.
"""
import errno as _errno
import os
import stat

# The module's codes, with the module's own wording.
_MESSAGES = {
    2: "file not found",
    3: "path not found",
    5: "access denied",
    8: "not enough memory",
    13: "invalid data",
    32: "file in use by another program",
    38: "the file ends before what it declares (not MPEG audio?)",
    50: "not supported",
    112: "disk full",
    123: "invalid file name",
    131: "negative seek",
    223: "file too large",
    1117: "I/O error",
}

_ERRNO = {
    2: _errno.ENOENT,
    3: _errno.ENOENT,
    5: _errno.EACCES,
    8: _errno.ENOMEM,
    32: _errno.EBUSY,
    50: _errno.EOPNOTSUPP,
    112: _errno.ENOSPC,
    123: _errno.EINVAL,
    131: _errno.EINVAL,
    223: _errno.EFBIG,
    1117: _errno.EIO,
}


def _what_the_path_is(path):
    """(errno, words) for a path that is no regular file, else None."""
    try:
        mode = os.stat(path).st_mode
    except OSError as error:
        if error.errno == _errno.ELOOP:
            return _errno.ELOOP, "too many levels of symbolic links"
        return None
    if stat.S_ISDIR(mode):
        return _errno.EISDIR, "is a folder, not a file"
    if not stat.S_ISREG(mode):
        return _errno.EINVAL, "not a regular file (a FIFO, socket or device)"
    return None


class VomtrailError(OSError):
    """A failed read or write: .winerror is the module's Win32 code, .errno
    the matching POSIX code (None when there is none), .strerror the
    message and .filename the file."""

    def __init__(self, code, filename=None):
        number, message = _ERRNO.get(code), _MESSAGES.get(code, "error %d" % code)
        if filename is not None and code in (5, 1117):
            number, message = _what_the_path_is(filename) or (number, message)
        super().__init__(number, message, filename)
        self.winerror = code

    def __str__(self):
        # OSError would print "[Errno None]" for codes without a POSIX one.
        text = "[Error %d] %s" % (self.winerror, self.strerror)
        return text if self.filename is None else "%s: %r" % (text, self.filename)

    def __reduce__(self):
        return (type(self), (self.winerror, self.filename))


class LibraryError(ImportError):
    """libvomtrail could not be found, or is not the version this package
    was written for."""


class TextCutWarning(UserWarning):
    """A text of the record is longer than the ID3v1 block keeps; the block
    gets its first bytes only."""
