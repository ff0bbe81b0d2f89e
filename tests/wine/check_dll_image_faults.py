#!/usr/bin/env python3
"""Makes sure check_dll_image.py notices the faults it is there for: each
case below damages one thing in a copy of the real Vomtrail.dll (same-length
byte replacements, so the rest of the image stays valid) and the checker
must reject that copy, while it accepts the undamaged DLL.

Usage: check_dll_image_faults.py PATH/TO/Vomtrail.dll
"""
import os
import subprocess
import sys
import tempfile

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_dll_image.py")


def utf16(text):
    return text.encode("utf-16-le")


# name: (bytes in the good image, replacement of the same length)
DAMAGE = {
    "file description": (utf16("Vomtrail! Module dll"), utf16("Vomtrail? Module dll")),
    "string block language": (utf16("041103A4"), utf16("040904B0")),
    "original file name": (utf16("VOMTRAIL.DLL"), utf16("VOMTRAIL.EXE")),
    "export directory name": (b"Vomtrail.dll\0", b"Vomtrail.dlx\0"),
    "exported name": (b"GetVersion\0", b"GetVersiom\0"),
    "imported run time DLL": (b"msvcrt.dll", b"msvcpt.dll"),
}


def rejected(path):
    return subprocess.run([sys.executable, CHECKER, path], stdout=subprocess.DEVNULL).returncode != 0


def main(argv):
    with open(argv[1], "rb") as f:
        good = f.read()
    failures = []
    if rejected(argv[1]):
        failures.append("the undamaged DLL is rejected")
    with tempfile.TemporaryDirectory() as work:
        for name, (original, replacement) in DAMAGE.items():
            if original not in good:
                failures.append(f"{name}: {original!r} not in the image")
                continue
            damaged = os.path.join(work, "damaged.dll")
            with open(damaged, "wb") as f:
                f.write(good.replace(original, replacement, 1))
            if not rejected(damaged):
                failures.append(f"{name}: damaged image accepted")
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
