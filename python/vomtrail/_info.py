"""Info: the record as a Python object.

The ID3v1 texts (Title, Artist, Album, Year, Comment) read as bytes without
the spaces and zero bytes the block pads its fields with, and take bytes or
str: a str is encoded in the Info's code page (the package's, CP1252 unless
set_encoding() said otherwise). A text longer than its field in the block is
refused when it is set. Items holds the record's 23 texts as the module
gives them, padding and all; change an INFO text through it.
"""
import warnings

from ._errors import TextCutWarning
from ._record import (ID3V1_ITEMS, ID3V1_WIDTHS, INFO_IDS, ITEM_COUNT, NUMBER_FIELDS, TAG_ID3V10, TAG_ID3V11,
                      TagInfo)

_encoding = "cp1252"

# The byte after the marker and before the track number in the ID3v1.1 form
# leaves the comment two bytes short.
_COMMENT_WITH_TRACK = 28


def set_encoding(name):
    """The code page str texts are encoded in and text() decodes from, for
    Info objects made from here on. Returns the previous one."""
    global _encoding
    "".encode(name)  # LookupError for a name Python does not know
    previous, _encoding = _encoding, name
    return previous


def get_encoding():
    return _encoding


def _unpadded(text):
    return text.rstrip(b" \0")


class Info:
    """The record's fields by their names: MpegFamily ... HasTag as ints,
    Items as a list of 23 bytes, Title, Artist, Album, Year, Comment and
    Genre (one byte: the ID3v1 genre number) as views of items 17 to 22."""

    def __init__(self, encoding=None):
        for name in NUMBER_FIELDS:
            setattr(self, "_track" if name == "Track" else name, 0)
        self.Items = [b""] * ITEM_COUNT
        self.encoding = encoding or _encoding

    @classmethod
    def from_record(cls, record, encoding=None):
        info = cls(encoding)
        info.update_from(record)
        return info

    def update_from(self, record):
        for name in NUMBER_FIELDS:
            setattr(self, "_track" if name == "Track" else name, getattr(record, name))
        self.Items = [item.value for item in record.Items]

    def to_record(self):
        record = TagInfo()
        for name, (low, high) in NUMBER_FIELDS.items():
            value = int(getattr(self, name))
            if not low <= value <= high:
                raise ValueError("%s must be in %d..%d, got %d" % (name, low, high, value))
            setattr(record, name, value)
        if len(self.Items) != ITEM_COUNT:
            raise ValueError("Items must hold %d texts, got %d" % (ITEM_COUNT, len(self.Items)))
        for slot, text in zip(record.Items, self.Items):
            slot.value = text
        return record

    def field_width(self, name):
        """How many bytes of an ID3v1 text the block keeps."""
        if name == "Comment" and self.TagKind == TAG_ID3V11:
            return _COMMENT_WITH_TRACK
        return ID3V1_WIDTHS[name]

    def warn_of_cut_texts(self):
        """Warns (TextCutWarning) of every ID3v1 text the block would cut."""
        for name in ID3V1_WIDTHS:
            length, width = len(self.Items[ID3V1_ITEMS[name]]), self.field_width(name)
            if length > width:
                warnings.warn("%s: %d bytes, of which the ID3v1 block keeps %d" % (name, length, width),
                              TextCutWarning, stacklevel=3)

    @property
    def Track(self):
        """The ID3v1.1 track number. Setting 0 to 255 gives the block the
        ID3v1.1 form, which has room for it; None takes it away (ID3v1.0)."""
        return self._track

    @Track.setter
    def Track(self, value):
        if value is None:
            self._track, self.TagKind = 0, TAG_ID3V10
            return
        value = int(value)
        if not 0 <= value <= 255:
            raise ValueError("an ID3v1.1 track number is 0 to 255, got %d" % value)
        self._track, self.TagKind = value, TAG_ID3V11

    @property
    def InfoItems(self):
        """Items 0 to 16, the RIFF INFO texts, as a new dict by id in the id
        table's order; change a text through Items[INFO_IDS.index(id)]."""
        return dict(zip(INFO_IDS, self.Items))

    def text(self, name, encoding=None, errors="replace"):
        """One text decoded: name is an ID3v1 field ("Title"), an INFO id
        ("ICOP") or an item number; ID3v1 texts without their padding."""
        if isinstance(name, int):
            index = name
        elif name in ID3V1_ITEMS:
            index = ID3V1_ITEMS[name]
        else:
            index = INFO_IDS.index(name)
        text = self.Items[index]
        if name in ID3V1_WIDTHS:
            text = _unpadded(text)
        return text.decode(encoding or self.encoding, errors)

    def __repr__(self):
        shown = ", ".join("%s=%r" % (n, getattr(self, n)) for n in ("FileKind", "Bitrate", "SampleRate", "Duration"))
        return "Info(%s, Title=%r)" % (shown, self.Title)


def _text_property(name, index):
    def get(self):
        return _unpadded(self.Items[index])

    def set(self, value):
        if isinstance(value, str):
            data = value.encode(self.encoding)
        elif isinstance(value, (bytes, bytearray, memoryview)):
            data = bytes(value)
        else:
            raise TypeError("%s takes bytes or str, not %s" % (name, type(value).__name__))
        width = self.field_width(name)
        if len(data) > width:
            raise ValueError("%s holds at most %d bytes in an ID3v1 block, got %d" % (name, width, len(data)))
        self.Items[index] = data

    return property(get, set, doc="The ID3v1 %s (bytes; set bytes or str)" % name.lower())


def _genre_get(self):
    return self.Items[ID3V1_ITEMS["Genre"]]


def _genre_set(self, value):
    """A genre number 0 to 255, or its one byte."""
    data = bytes([value]) if isinstance(value, int) else bytes(value)
    if len(data) != 1:
        raise ValueError("the ID3v1 genre is one byte, a number 0 to 255")
    self.Items[ID3V1_ITEMS["Genre"]] = data


for _name in ID3V1_WIDTHS:
    setattr(Info, _name, _text_property(_name, ID3V1_ITEMS[_name]))
Info.Genre = property(_genre_get, _genre_set)
