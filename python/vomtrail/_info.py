"""Info: the record as a Python object, texts as bytes.

Texts stay bytes because the module never decodes them: they are in
whatever code page the file's writer used. text() decodes one on request.
"""
from ._record import ID3V1_ITEMS, INFO_IDS, ITEM_COUNT, NUMBER_FIELDS, TagInfo


class Info:
    """The record's fields by their names: MpegFamily ... HasTag as ints,
    Items as a list of 23 bytes, Title, Artist, Album, Year, Comment and
    Genre (one byte: the ID3v1 genre number) as views of items 17 to 22."""

    def __init__(self):
        for name in NUMBER_FIELDS:
            setattr(self, name, 0)
        self.Items = [b""] * ITEM_COUNT

    @classmethod
    def from_record(cls, record):
        info = cls()
        info.update_from(record)
        return info

    def update_from(self, record):
        for name in NUMBER_FIELDS:
            setattr(self, name, getattr(record, name))
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

    @property
    def InfoItems(self):
        """Items 0 to 16, the RIFF INFO texts, as a new dict by id in the id
        table's order; change a text through Items[INFO_IDS.index(id)]."""
        return dict(zip(INFO_IDS, self.Items))

    def text(self, name, encoding="cp1252", errors="replace"):
        """One text decoded: name is an ID3v1 field ("Title"), an INFO id
        ("ICOP") or an item number."""
        if isinstance(name, int):
            index = name
        elif name in ID3V1_ITEMS:
            index = ID3V1_ITEMS[name]
        else:
            index = INFO_IDS.index(name)
        return self.Items[index].decode(encoding, errors)

    def __repr__(self):
        shown = ", ".join("%s=%r" % (n, getattr(self, n)) for n in ("FileKind", "Bitrate", "SampleRate", "Duration"))
        return "Info(%s, Title=%r)" % (shown, self.Title)


def _item_property(index):
    def get(self):
        return self.Items[index]

    def set(self, value):
        self.Items[index] = bytes(value)

    return property(get, set)


for _name, _index in ID3V1_ITEMS.items():
    setattr(Info, _name, _item_property(_index))
