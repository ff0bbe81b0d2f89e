"""Makes the small folder the collection tests and their spreadsheet data
share: three files from samples/ under names with spaces and non-ASCII
letters, with fixed modification times (the exported table keeps them).

    python3 collection_folder.py SAMPLES TARGET
"""
import os
import shutil
import sys

FILES = [("tone-vbr.mp3", "Kind of Blue/01 So What.mp3"),
         ("tone.rmp3", "Kind of Blue/Ça va.rmp3"),
         ("tone-mp3.wav", "w a v.wav")]
BASE_NS = 1_700_000_000_123_456_789


def make(samples, target):
    for i, (sample, name) in enumerate(FILES):
        path = os.path.join(target, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        shutil.copyfile(os.path.join(samples, sample), path)
        os.utime(path, ns=(BASE_NS + i, BASE_NS + i))
    return [os.path.join(target, name) for _, name in FILES]


if __name__ == "__main__":
    make(sys.argv[1], sys.argv[2])
