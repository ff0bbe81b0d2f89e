"""Finding and loading libvomtrail.

The record's layout and the entry points belong to one version of the
module, so a library that answers another version is refused rather than
called with a record it may read differently.
"""
import ctypes
import ctypes.util
import os

from ._errors import LibraryError
from ._record import Str255, TagInfo
from ._version import VERSION

SONAME = "libvomtrail.so.1"
# The inspection's report (inspect()) comes from a library of its own,
# installed beside the module.
INSPECT_SONAME = "libvomtrail-inspect.so.1"

_library = None
_inspect_library = None


def _candidates(path):
    if path is not None:
        return [os.fspath(path)]
    if os.environ.get("VOMTRAIL_LIBRARY"):
        return [os.environ["VOMTRAIL_LIBRARY"]]
    found = ctypes.util.find_library("vomtrail")
    # The dynamic loader itself searches LD_LIBRARY_PATH and its cache for
    # the SONAME, where find_library may not look.
    return [found, SONAME] if found else [SONAME]


def _bind(lib):
    lib.GetInfoResult.argtypes = [ctypes.POINTER(Str255), ctypes.POINTER(TagInfo)]
    lib.GetInfoResult.restype = ctypes.c_int32
    lib.SetInfo.argtypes = [ctypes.POINTER(Str255), ctypes.POINTER(TagInfo), ctypes.c_int32]
    lib.SetInfo.restype = ctypes.c_int32
    lib.GetVersion.argtypes = [ctypes.POINTER(Str255)]
    lib.GetVersion.restype = ctypes.POINTER(Str255)
    buffer = Str255()
    return lib.GetVersion(ctypes.byref(buffer)).contents.value.decode("ascii", "replace")


def load(path=None):
    """Loads the library from path, else from $VOMTRAIL_LIBRARY, else from
    where the system finds it; later calls use it. Returns its version."""
    global _library
    tried = []
    for candidate in _candidates(path):
        try:
            lib = ctypes.CDLL(candidate)
        except OSError as error:
            tried.append(str(error))
            continue
        try:
            version = _bind(lib)
        except AttributeError:
            raise LibraryError("%s is not libvomtrail: it lacks GetInfoResult, SetInfo or GetVersion" % candidate)
        if version != VERSION:
            raise LibraryError("%s is version %s; this package needs %s" % (candidate, version, VERSION))
        _library = lib
        return version
    raise LibraryError("libvomtrail not found (%s); install it or set VOMTRAIL_LIBRARY" % "; ".join(tried))


def library():
    if _library is None:
        load()
    return _library


def _inspect_candidates():
    if os.environ.get("VOMTRAIL_INSPECT_LIBRARY"):
        return [os.environ["VOMTRAIL_INSPECT_LIBRARY"]]
    candidates = []
    module = getattr(_library, "_name", None) or ""
    if os.sep in module:
        candidates.append(os.path.join(os.path.dirname(module), INSPECT_SONAME))
    found = ctypes.util.find_library("vomtrail-inspect")
    return candidates + ([found] if found else []) + [INSPECT_SONAME]


def inspect_library():
    """libvomtrail-inspect, found beside the module (which is loaded and
    checked first), else from $VOMTRAIL_INSPECT_LIBRARY or where the system
    finds it."""
    global _inspect_library
    if _inspect_library is None:
        library()
        tried = []
        for candidate in _inspect_candidates():
            try:
                lib = ctypes.CDLL(candidate)
                function = lib.VtInspectJson
            except (OSError, AttributeError) as error:
                tried.append(str(error))
                continue
            function.argtypes = [ctypes.c_char_p, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_size_t,
                                 ctypes.POINTER(ctypes.c_size_t)]
            function.restype = ctypes.c_int32
            _inspect_library = lib
            break
        else:
            raise LibraryError("libvomtrail-inspect not found (%s); install it or set VOMTRAIL_INSPECT_LIBRARY"
                               % "; ".join(tried))
    return _inspect_library
