#!/usr/bin/python3
"""Prints, as JSON, what mutagen (a reader independent of the module) sees
in a file: the ID3v1 block in its last 128 bytes, and the MPEG stream
properties when mutagen can find the stream. Usage: mutagen-read.py FILE"""
import json
import sys

from mutagen.id3 import ParseID3v1
from mutagen.mp3 import MP3


def id3v1(path):
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 128:
        return None
    frames = ParseID3v1(data[-128:])
    if frames is None:
        return None
    # Each frame's first text, keyed by the ID3v2 frame name mutagen maps
    # the ID3v1 field to (TIT2 title, TPE1 artist, TALB album, TDRC year,
    # COMM comment, TRCK track, TCON genre).
    return {key.split(":")[0]: str(frame.text[0]) for key, frame in frames.items()}


def stream(path):
    try:
        audio = MP3(path)
    except Exception as error:  # any failure to parse is an answer too
        return {"error": type(error).__name__}
    info = audio.info
    return {
        "sample_rate": info.sample_rate,
        "channels": info.channels,
        "bitrate": info.bitrate,
        "layer": info.layer,
        "version": info.version,
    }


def main():
    path = sys.argv[1]
    print(json.dumps({"id3v1": id3v1(path), "stream": stream(path)}, sort_keys=True))


if __name__ == "__main__":
    main()
