#!/usr/bin/env python3
"""Prints the version record of a Windows program as JSON, read from the file's own bytes.

    versioninfo.py PROGRAM.exe
    versioninfo.py --check VERSION TITLE PROGRAM.exe    (exit 1 naming every wrong field)

Walks the PE resource directory to RT_VERSION and decodes VS_VERSIONINFO: the fixed numbers,
every string of every StringFileInfo block (keyed "<block>/<name>") and the translations.
Independent of the resource compiler, so a mis-encoded string shows up here. The packager
reads each program's version for the installer's File table from here too.
"""
import json
import os
import re
import struct
import sys

RT_VERSION = 16


def sections(pe):
    pe_at = struct.unpack_from("<I", pe, 0x3C)[0]
    if pe[pe_at:pe_at + 4] != b"PE\0\0":
        raise SystemExit("not a PE file")
    count, opt_size = struct.unpack_from("<H12xH", pe, pe_at + 6)
    opt = pe_at + 24
    magic = struct.unpack_from("<H", pe, opt)[0]
    dirs = opt + (112 if magic == 0x20B else 96)
    res_rva = struct.unpack_from("<I", pe, dirs + 2 * 8)[0]
    table = []
    for i in range(count):
        vsize, va, rsize, raw = struct.unpack_from("<4I", pe, opt + opt_size + 40 * i + 8)
        table.append((va, max(vsize, rsize), raw))
    return res_rva, table


def file_offset(table, rva):
    for va, size, raw in table:
        if va <= rva < va + size:
            return raw + rva - va
    raise SystemExit(f"RVA {rva:#x} outside every section")


def version_resource(pe):
    return resource(pe, RT_VERSION, "version resource")


def resource(pe, kind, what):
    """The data of the first resource of type KIND (first id, first language)."""
    res_rva, table = sections(pe)
    if not res_rva:
        raise SystemExit("no resources")
    base = file_offset(table, res_rva)

    def entries(at):
        named, ids = struct.unpack_from("<12xHH", pe, base + at)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", pe, base + at + 16 + 8 * i)
            yield name, target

    for name, target in entries(0):
        if name == kind:
            _, target = next(entries(target & 0x7FFFFFFF))  # first id
            _, target = next(entries(target & 0x7FFFFFFF))  # first language
            rva, size = struct.unpack_from("<II", pe, base + target)
            at = file_offset(table, rva)
            return pe[at:at + size]
    raise SystemExit(f"no {what}")


def align4(n):
    return (n + 3) & ~3


def node(data, at):
    """One VS_VERSIONINFO-style node: (key, value bytes, value type, children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = align4(key_end + 2)
    # Text values count UTF-16 units, binary ones bytes.
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[value_at:value_at + value_size]
    children = []
    child = align4(value_at + value_size)
    while child < end:
        children.append(node(data, child))
        child = align4(children[-1][4])
    return key, value, value_type, children, end


def decode(data):
    key, value, _, children, _ = node(data, 0)
    if key != "VS_VERSION_INFO":
        raise SystemExit(f"unexpected root {key!r}")
    sig, _, fv_ms, fv_ls, pv_ms, pv_ls = struct.unpack_from("<6I", value, 0)
    if sig != 0xFEEF04BD:
        raise SystemExit("bad fixed-info signature")
    words = lambda ms, ls: [ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF]
    out = {"FILEVERSION": words(fv_ms, fv_ls), "PRODUCTVERSION": words(pv_ms, pv_ls),
           "strings": {}, "translations": []}
    for child_key, _, _, grandchildren, _ in children:
        if child_key == "StringFileInfo":
            for block, _, _, strings, _ in grandchildren:
                for name, text, _, _, _ in strings:
                    out["strings"][f"{block}/{name}"] = text.decode("utf-16-le").rstrip("\0")
        elif child_key == "VarFileInfo":
            for _, pairs, _, _, _ in grandchildren:
                for i in range(0, len(pairs) - 3, 4):
                    out["translations"].append(list(struct.unpack_from("<HH", pairs, i)))
    return out


def product_names():
    """The product's names from resources/product.env, their one home."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources",
                        "product.env")
    names = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if re.match(r"^TARN_[A-Z_]+=", line):
                key, value = line.rstrip("\n").split("=", 1)
                names[key] = value
    return names


def check(version, title, path):
    """The fields a program of the suite must carry, compared one by one."""
    with open(path, "rb") as f:
        info = decode(version_resource(f.read()))
    numbers = [int(n) for n in version.split(".")] + [0]
    names = product_names()
    exe = path.replace("\\", "/").rsplit("/", 1)[-1]
    wanted = {
        "FILEVERSION": numbers, "PRODUCTVERSION": numbers, "translations": [[0x0804, 1200]],
        "080404b0/CompanyName": names["TARN_COMPANY_NAME"],
        "080404b0/ProductName": names["TARN_PRODUCT_NAME"],
        "080404b0/FileDescription": title, "080404b0/InternalName": exe[:-4],
        "080404b0/OriginalFilename": exe, "080404b0/FileVersion": version,
        "080404b0/ProductVersion": version,
    }
    wrong = 0
    for field, value in wanted.items():
        actual = info["strings"].get(field) if "/" in field else info[field]
        if actual != value:
            print(f"{exe}: {field} is {actual!r}, expected {value!r}")
            wrong += 1
    return 1 if wrong else 0


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "--check":
        sys.exit(check(*sys.argv[2:]))
    with open(sys.argv[1], "rb") as f:
        print(json.dumps(decode(version_resource(f.read())), ensure_ascii=False, indent=1))
