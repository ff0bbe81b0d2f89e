"""Failures of the module as Python exceptions.

The module reports Win32 system error codes on every platform. Where a code
has an obvious POSIX counterpart, the exception carries it as errno too, so
that code written for OSError works unchanged.
"""
import errno as _errno

# The module's codes, with the module's own wording.
_MESSAGES = {
    2: "file not found",
    3: "path not found",
    5: "access denied",
    8: "not enough memory",
    13: "invalid data",
    32: "file in use by another program",
    38: "end of file",
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


class VomtrailError(OSError):
    """A failed read or write: .winerror is the module's Win32 code, .errno
    the matching POSIX code (None when there is none), .strerror the
    message and .filename the file."""

    def __init__(self, code, filename=None):
        message = _MESSAGES.get(code, "error %d" % code)
        super().__init__(_ERRNO.get(code), message, filename)
        self.winerror = code

    def __reduce__(self):
        return (type(self), (self.winerror, self.filename))


class LibraryError(ImportError):
    """libvomtrail could not be found, or is not the version this package
    was written for."""
