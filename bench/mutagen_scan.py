"""mutagen over a folder as a tag tool scans one: every audio file below it,
its tags and stream properties printed as one JSON object a line.

Usage: mutagen_scan.py FOLDER"""
import json
import os
import sys

import mutagen


def main():
    out = sys.stdout
    for folder, _, names in os.walk(sys.argv[1]):
        for name in sorted(names):
            path = os.path.join(folder, name)
            try:
                audio = mutagen.File(path)
            except Exception as error:  # a damaged file is named, as every tool does
                out.write(json.dumps({"file": path, "error": str(error)}) + "\n")
                continue
            if audio is None:
                continue
            info = audio.info
            tags = {key: str(value) for key, value in (audio.tags or {}).items()} if audio.tags else {}
            out.write(json.dumps({"file": path, "length": getattr(info, "length", None),
                                  "bitrate": getattr(info, "bitrate", None), "tags": tags}) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
