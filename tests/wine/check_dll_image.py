#!/usr/bin/env python3
"""Checks the PE image of Vomtrail.dll as a host's loader and a file-property
viewer see it: 32-bit i386 DLL, the export table (name, ordinals, undecorated
names), imports from system DLLs only, the version resource and the icon.

Usage: check_dll_image.py PATH/TO/Vomtrail.dll     (exit status 1 on any fault)

VOMTRAIL_VERSION is the version the build gave the module (e.g. 1.2.3).

Standard library only: the image is parsed here with struct, so the check
does not depend on the tools that produced it.
"""
import os
import struct
import sys

IMAGE_FILE_MACHINE_I386 = 0x014C
IMAGE_FILE_DLL = 0x2000
PE32_MAGIC = 0x010B
RT_ICON, RT_GROUP_ICON, RT_VERSION = 3, 14, 16
IMAGE_SCN_MEM_EXECUTE = 0x20000000

EXPECTED_EXPORTS = {"GetInfo": 1, "SetInfo": 2, "GetVersion": 3}
# DLLs every Windows installation has; the C++ run time must be linked in.
SYSTEM_DLLS = {"kernel32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll", "ntdll.dll"}
LANGUAGE_JAPANESE, CODE_PAGE_SHIFT_JIS = 0x0411, 932
EXPECTED_STRINGS = {
    "Comments": "",
    "CompanyName": "",
    "FileDescription": "Vomtrail! Module dll",
    "FileVersion": os.environ["VOMTRAIL_VERSION"] + ".0",
    "InternalName": "Vomtrail",
    "LegalTrademarks": "",
    "OriginalFilename": "VOMTRAIL.DLL",
    "ProductName": "",
    "ProductVersion": os.environ["VOMTRAIL_VERSION"],
}
_MAJOR, _MINOR, _PATCH = (int(part) for part in os.environ["VOMTRAIL_VERSION"].split("."))
FIXED_VERSION = ((_MAJOR << 16) | _MINOR, (_PATCH << 16) | 0)  # (MS, LS) words of major.minor.patch.0


class Image:
    def __init__(self, data):
        self.data = data
        self.faults = []
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, _, optional_size,
         self.characteristics) = struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        directory_count = struct.unpack_from("<I", data, optional + 92)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i)
                            for i in range(min(directory_count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, rva, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
            flags = struct.unpack_from("<I", data, table + 40 * i + 36)[0]
            self.sections.append((name.rstrip(b"\0").decode(), rva, max(vsize, raw_size), raw_offset, flags))

    def offset(self, rva):
        for _, start, size, raw, _ in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} outside every section")

    def executable(self, rva):
        return any(start <= rva < start + size and flags & IMAGE_SCN_MEM_EXECUTE
                   for _, start, size, _, flags in self.sections)

    def u16(self, rva):
        return struct.unpack_from("<H", self.data, self.offset(rva))[0]

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def cstring(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")


def expect(faults, ok, message):
    if not ok:
        faults.append(message)


def check_header(image, faults):
    expect(faults, image.machine == IMAGE_FILE_MACHINE_I386, f"machine {image.machine:#x}, not i386")
    expect(faults, image.magic == PE32_MAGIC, f"optional header magic {image.magic:#x}, not PE32")
    expect(faults, image.characteristics & IMAGE_FILE_DLL, "image is not marked as a DLL")


def check_exports(image, faults):
    rva, size = image.directories[0]
    if rva == 0:
        faults.append("no export directory")
        return
    (_, _, _, _, name_rva, base, function_count, name_count,
     functions, names, ordinals) = struct.unpack_from("<IIHHIIIIIII", image.data, image.offset(rva))
    expect(faults, image.cstring(name_rva) == "Vomtrail.dll", f"export name {image.cstring(name_rva)!r}")
    expect(faults, base == 1, f"ordinal base {base}")
    expect(faults, function_count == 3, f"{function_count} exported functions")
    found = {}
    for i in range(name_count):
        name = image.cstring(image.u32(names + 4 * i))
        index = image.u16(ordinals + 2 * i)
        found[name] = (base + index, image.u32(functions + 4 * index))
    expect(faults, set(found) == set(EXPECTED_EXPORTS), f"exported names {sorted(found)}")
    for name, ordinal in EXPECTED_EXPORTS.items():
        if name not in found:
            continue
        got_ordinal, target = found[name]
        expect(faults, got_ordinal == ordinal, f"{name} has ordinal {got_ordinal}, not {ordinal}")
        # A forwarder points back into the export directory; a function
        # points at code.
        expect(faults, not rva <= target < rva + size, f"{name} is forwarded")
        expect(faults, image.executable(target), f"{name} does not point at code")
        # "jmp [import]" would be a thunk into another DLL, e.g. the system's
        # own GetVersion bound in place of the module's function.
        expect(faults, image.data[image.offset(target):image.offset(target) + 2] != b"\xff\x25",
               f"{name} is an import thunk")
    targets = [target for _, target in found.values()]
    expect(faults, len(set(targets)) == len(targets), "two exports share an address")


def check_imports(image, faults):
    rva, _ = image.directories[1]
    imported = []
    while rva:
        name_rva = image.u32(rva + 12)
        if name_rva == 0:
            break
        imported.append(image.cstring(name_rva))
        rva += 20
    for name in imported:
        expect(faults, name.lower() in SYSTEM_DLLS, f"imports {name}, which a host machine may not have")
    expect(faults, any(n.lower() == "kernel32.dll" for n in imported), f"imports {imported}, no KERNEL32.dll")


def resource_entries(image, directory_rva, rva):
    """(id, is_directory, target RVA) of one resource directory's entries."""
    named, numbered = struct.unpack_from("<HH", image.data, image.offset(rva) + 12)
    entries = []
    for i in range(named + numbered):
        ident, target = struct.unpack_from("<II", image.data, image.offset(rva) + 16 + 8 * i)
        entries.append((ident, bool(target & 0x80000000), directory_rva + (target & 0x7FFFFFFF)))
    return entries


def resources(image):
    """{type: {name: {language: bytes}}} for numbered types and names."""
    root, _ = image.directories[2]
    tree = {}
    if root == 0:
        return tree
    for rtype, _, names_rva in resource_entries(image, root, root):
        for name, _, languages_rva in resource_entries(image, root, names_rva):
            for language, _, data_entry in resource_entries(image, root, languages_rva):
                data_rva, size = image.u32(data_entry), image.u32(data_entry + 4)
                start = image.offset(data_rva)
                tree.setdefault(rtype, {}).setdefault(name, {})[language] = image.data[start:start + size]
    return tree


def version_block(data, at):
    """One node of the version resource: (key, type, value bytes, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    cursor = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[cursor:cursor + value_size]
    cursor = (cursor + value_size + 3) & ~3
    children = []
    while cursor < end:
        child = version_block(data, cursor)
        children.append(child)
        cursor = (child[4] + 3) & ~3
    return key, value_type, value, children, end


def text_value(value):
    text = value.decode("utf-16-le")
    return text.split("\0", 1)[0]


def check_version(tree, faults):
    versions = tree.get(RT_VERSION, {})
    if len(versions) != 1:
        faults.append(f"{len(versions)} version resources")
        return
    (languages,) = versions.values()
    expect(faults, list(languages) == [LANGUAGE_JAPANESE], f"version resource languages {list(languages)}")
    data = next(iter(languages.values()))
    key, _, fixed, children, _ = version_block(data, 0)
    expect(faults, key == "VS_VERSION_INFO", f"version root key {key!r}")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIIIII", fixed)
    expect(faults, signature == 0xFEEF04BD, "VS_FIXEDFILEINFO signature")
    expect(faults, (file_ms, file_ls) == FIXED_VERSION, f"fixed file version {file_ms:#x} {file_ls:#x}")
    expect(faults, (product_ms, product_ls) == FIXED_VERSION, f"fixed product version {product_ms:#x} {product_ls:#x}")

    blocks = {child[0]: child for child in children}
    string_info = blocks.get("StringFileInfo")
    if string_info is None:
        faults.append("no StringFileInfo")
    else:
        tables = {table[0]: table for table in string_info[3]}
        expect(faults, list(tables) == ["041103A4"], f"string blocks {list(tables)}")
        table = tables.get("041103A4")
        strings = {entry[0]: text_value(entry[2]) for entry in table[3]} if table else {}
        expect(faults, strings == EXPECTED_STRINGS, f"version strings {strings}")
    var_info = blocks.get("VarFileInfo")
    translation = var_info and {var[0]: var[2] for var in var_info[3]}.get("Translation")
    expect(faults, translation == struct.pack("<HH", LANGUAGE_JAPANESE, CODE_PAGE_SHIFT_JIS),
           f"translation {translation!r}")


def check_icon(tree, faults):
    groups = tree.get(RT_GROUP_ICON, {})
    icons = tree.get(RT_ICON, {})
    expect(faults, groups and icons, "no module icon")
    for languages in groups.values():
        for data in languages.values():
            _, kind, count = struct.unpack_from("<HHH", data, 0)
            expect(faults, kind == 1 and count > 0, "icon group is empty or not an icon")
            for i in range(count):
                icon_id = struct.unpack_from("<H", data, 6 + 14 * i + 12)[0]
                expect(faults, icon_id in icons, f"icon group names missing icon {icon_id}")


def main(argv):
    if len(argv) != 2:
        print(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        image = Image(f.read())
    faults = []
    check_header(image, faults)
    check_exports(image, faults)
    check_imports(image, faults)
    tree = resources(image)
    check_version(tree, faults)
    check_icon(tree, faults)
    for fault in faults:
        print("FAULT:", fault)
    print(f"{argv[1]}: {'ok' if not faults else f'{len(faults)} fault(s)'}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
