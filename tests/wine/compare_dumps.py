#!/usr/bin/env python3
"""Compares two dumps written by vt_record_dump (one from the Linux library,
one from the Windows DLL) and reports every call whose outcome differs, with
the first differing byte offsets and, inside the record, the field there.

Usage: compare_dumps.py NATIVE.dump WINDOWS.dump     (exit status 1 on any difference)
"""
import sys

RECORD_BYTES = 5933
# (first offset, name) of the record's fields, in order.
FIELDS = [(0, "MpegFamily"), (1, "MpegVersion"), (2, "Layer"), (3, "Protected"), (4, "Bitrate"),
          (8, "SampleRate"), (12, "Padding"), (13, "PrivateBit"), (14, "ChannelMode"), (15, "Copyright"),
          (16, "Original"), (17, "Emphasis"), (18, "gap"), (20, "Duration"), (24, "FrameCount"),
          (28, "FileKind")] + [(29 + 256 * i, f"Items[{i}]") for i in range(23)] + [
          (5917, "gap"), (5920, "Track"), (5924, "TagKind"), (5925, "Vbr"), (5926, "gap"),
          (5928, "FileSize"), (5932, "HasTag")]
SHOWN_OFFSETS = 8


def field_at(offset):
    name = FIELDS[0][1]
    for start, field in FIELDS:
        if start > offset:
            break
        name = field
    return name


def calls(path):
    """[(heading line, [hex lines])]: a "get" heading has one hex line (the
    record), a "set" heading two (the record, then the rewritten file)."""
    with open(path) as f:
        lines = f.read().splitlines()
    result, i = [], 0
    while i < len(lines):
        heading = lines[i]
        if heading.startswith("get "):
            count = 1
        elif heading.endswith(("no-source", "copy-failed")):
            count = 0
        else:
            count = 2
        result.append((heading, lines[i + 1:i + 1 + count]))
        i += 1 + count
    return result


def differing_offsets(a, b):
    x, y = bytes.fromhex(a), bytes.fromhex(b)
    offsets = [i for i in range(min(len(x), len(y))) if x[i] != y[i]]
    if len(x) != len(y):
        offsets.append(min(len(x), len(y)))
    return offsets, x, y


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    native, windows = calls(argv[1]), calls(argv[2])
    differences = 0
    if len(native) != len(windows):
        print(f"the dumps hold {len(native)} and {len(windows)} calls")
        differences += 1
    for (head_n, hex_n), (head_w, hex_w) in zip(native, windows):
        if head_n != head_w:
            print(f"DIFFERENT OUTCOME\n  native:  {head_n}\n  windows: {head_w}")
            differences += 1
        for index, (a, b) in enumerate(zip(hex_n, hex_w)):
            if a == b:
                continue
            differences += 1
            offsets, x, y = differing_offsets(a, b)
            what = "record" if index == 0 else "rewritten file"
            print(f"DIFFERENT {what} after: {head_n}  ({len(offsets)} byte(s) differ)")
            for offset in offsets[:SHOWN_OFFSETS]:
                field = f" {field_at(offset)}" if index == 0 else ""
                got_n = f"{x[offset]:02x}" if offset < len(x) else "--"
                got_w = f"{y[offset]:02x}" if offset < len(y) else "--"
                print(f"  offset {offset}{field}: native {got_n}, windows {got_w}")
    print(f"{len(native)} calls compared, {differences} difference(s)")
    return 1 if differences else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
