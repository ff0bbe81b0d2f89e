#!/usr/bin/python3
"""Prints, as JSON, the ID3v2 and APEv2 tags mutagen (a reader independent
of ours) finds in a file. Usage: mutagen-tags.py FILE"""
import json
import sys

from mutagen.apev2 import APEv2, APENoHeaderError
from mutagen.id3 import ID3, ID3NoHeaderError, TCON

TEXTS = ["TIT2", "TPE1", "TALB", "TPE2", "TRCK", "TPOS", "TCON", "TDRC"]


def id3(path):
    """The frames our reader reads, in the shape RealWritersTest.cpp builds
    from its reading: texts by frame id (only those present), comments,
    user texts and pictures as sorted lists."""
    try:
        # 2.2 and 2.3 frames come translated to 2.4; the ID3v1 block is not merged in.
        tags = ID3(path, load_v1=False)
    except ID3NoHeaderError:
        return None
    out = {"version": tags.version[1]}
    for key in TEXTS:
        if key in tags:
            out[key] = [str(text) for text in tags[key].text]
    # The genre as written, before mutagen names its numbers.
    raw = ID3(path, translate=False, load_v1=False).get("TCON")
    if raw is not None:
        out["TCON_raw"] = [str(text) for text in raw.text]
    lists = {
        "COMM": [{"lang": f.lang, "desc": f.desc, "text": [str(t) for t in f.text]} for f in tags.getall("COMM")],
        "TXXX": [{"desc": f.desc, "text": [str(t) for t in f.text]} for f in tags.getall("TXXX")],
        "APIC": [{"type": int(f.type), "mime": f.mime, "desc": f.desc, "size": len(f.data)}
                 for f in tags.getall("APIC")],
    }
    for key, items in lists.items():
        out[key] = sorted(items, key=lambda item: json.dumps(item, sort_keys=True))
    return out


def ape(path):
    try:
        tags = APEv2(path)
    except APENoHeaderError:
        return None
    return {key: (str(value) if value.kind == 0 else {"binary": len(value.value)})
            for key, value in tags.items()}


def main():
    path = sys.argv[1]
    print(json.dumps({"id3": id3(path), "ape": ape(path), "genre_names": list(TCON.GENRES)},
                     ensure_ascii=False, sort_keys=True))


if __name__ == "__main__":
    main()
