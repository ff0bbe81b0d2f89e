"""The module's record, byte for byte as the C header lays it out.

Natural alignment, as the C compiler gives it: the 32-bit fields sit on
4-byte boundaries and the gaps before them are never read or written by the
module. The tests check the offsets the C header asserts.
"""
import ctypes

ITEM_COUNT = 23

# The RIFF INFO ids that give items 0 to 16 their meaning, in order: a copy
# of the C table in InfoIds.h, which a test holds it against.
INFO_IDS = (
    "INAM", "IART", "IPRD", "ICMT", "IGNR", "IMP3", "ICOP", "ICRD", "IENG",
    "ISRC", "ISFT", "IKEY", "ITCH", "ILYC", "ICMS", "IMED", "IID3",
)

# The ID3v1 texts, items 17 to 22, and the bytes each has in the block (the
# comment two fewer when a track number is stored).
ID3V1_ITEMS = {"Title": 17, "Artist": 18, "Album": 19, "Year": 20, "Comment": 21, "Genre": 22}
ID3V1_WIDTHS = {"Title": 30, "Artist": 30, "Album": 30, "Year": 4, "Comment": 30}

# FileKind: the container.
KIND_MPEG, KIND_RMP3, KIND_WAVE = 0, 1, 2
# The write modes, each writing the container of the kind with its number.
MODE_MP3, MODE_RMP3, MODE_WAVE = 0, 1, 2
# TagKind: the ID3v1.0 form, the ID3v1.1 form with a track byte, an ID3v2
# tag at the start.
TAG_ID3V10, TAG_ID3V11, TAG_ID3V2 = 0, 1, 2


class Str255(ctypes.Structure):
    """A counted text: a length byte, then up to 255 bytes."""

    _fields_ = [("Length", ctypes.c_uint8), ("Text", ctypes.c_uint8 * 255)]

    @property
    def value(self):
        return bytes(self.Text[: self.Length])

    @value.setter
    def value(self, data):
        data = bytes(data)
        if len(data) > 255:
            raise ValueError("a text holds at most 255 bytes, got %d" % len(data))
        self.Length = len(data)
        ctypes.memmove(self.Text, data, len(data))


class TagInfo(ctypes.Structure):
    _fields_ = [
        ("MpegFamily", ctypes.c_uint8),
        ("MpegVersion", ctypes.c_uint8),
        ("Layer", ctypes.c_uint8),
        ("Protected", ctypes.c_uint8),
        ("Bitrate", ctypes.c_int32),
        ("SampleRate", ctypes.c_int32),
        ("Padding", ctypes.c_uint8),
        ("PrivateBit", ctypes.c_uint8),
        ("ChannelMode", ctypes.c_uint8),
        ("Copyright", ctypes.c_uint8),
        ("Original", ctypes.c_uint8),
        ("Emphasis", ctypes.c_uint8),
        ("Duration", ctypes.c_int32),
        ("FrameCount", ctypes.c_int32),
        ("FileKind", ctypes.c_uint8),
        ("Items", Str255 * ITEM_COUNT),
        ("Track", ctypes.c_int32),
        ("TagKind", ctypes.c_uint8),
        ("Vbr", ctypes.c_uint8),
        ("FileSize", ctypes.c_int32),
        ("HasTag", ctypes.c_uint8),
    ]


def _range(kind):
    bits = 8 * ctypes.sizeof(kind)
    if kind in (ctypes.c_int8, ctypes.c_int16, ctypes.c_int32):
        return -(1 << (bits - 1)), (1 << (bits - 1)) - 1
    return 0, (1 << bits) - 1


# The numeric fields with the values each can hold: ctypes would wrap a
# value out of range silently.
NUMBER_FIELDS = {name: _range(kind) for name, kind in TagInfo._fields_ if name != "Items"}
