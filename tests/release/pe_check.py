#!/usr/bin/env python3
"""Checks what IT and Windows read from a program file's headers and manifest.

    pe_check.py PROGRAM.exe...      (exit 1 naming every wrong field of every file)

One table: the PE header fields (64-bit, GUI, terminal-server aware, ASLR, DEP) and the
embedded manifest (resource 1 of type 24): runs as the invoking user, declares Windows 7 to 11,
system-DPI aware like the program's own SetProcessDPIAware call, and no per-monitor awareness or
common-controls v6 that would change the window's look.
"""
import os
import struct
import sys
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import versioninfo  # noqa: E402

RT_MANIFEST = 24
ASM1, ASM3 = "urn:schemas-microsoft-com:asm.v1", "urn:schemas-microsoft-com:asm.v3"
COMPAT = "urn:schemas-microsoft-com:compatibility.v1"
SETTINGS = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SETTINGS_2016 = "http://schemas.microsoft.com/SMI/2016/WindowsSettings"
WINDOWS_7_TO_11 = ["{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",   # 7
                   "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",   # 8
                   "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",   # 8.1
                   "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"]   # 10 and 11


def header(pe):
    at = struct.unpack_from("<I", pe, 0x3C)[0]
    machine = struct.unpack_from("<H", pe, at + 4)[0]
    subsystem, dll = struct.unpack_from("<HH", pe, at + 24 + 68)
    return machine, subsystem, dll


def manifest(pe):
    """The embedded manifest, or an empty element (every field then reads as absent)."""
    try:
        return ET.fromstring(versioninfo.resource(pe, RT_MANIFEST, "manifest"))
    except SystemExit:
        return ET.Element("none")


def attr(root, path, name):
    found = root.find(path)
    return None if found is None else found.get(name)


def text(root, path):
    found = root.find(path)
    return None if found is None else found.text.strip()


EXECUTION = f"{{{ASM3}}}trustInfo/{{{ASM3}}}security/{{{ASM3}}}requestedPrivileges/" \
            f"{{{ASM3}}}requestedExecutionLevel"
WINDOWS_SETTINGS = f"{{{ASM3}}}application/{{{ASM3}}}windowsSettings/"
FIELDS = [  # (field, how it is read, expected)
    ("Machine", lambda pe: header(pe)[0], 0x8664),
    ("Subsystem (2: GUI)", lambda pe: header(pe)[1], 2),
    ("DllCharacteristics TERMINAL_SERVER_AWARE", lambda pe: bool(header(pe)[2] & 0x8000), True),
    ("DllCharacteristics DYNAMIC_BASE", lambda pe: bool(header(pe)[2] & 0x0040), True),
    ("DllCharacteristics NX_COMPAT", lambda pe: bool(header(pe)[2] & 0x0100), True),
    ("manifest requestedExecutionLevel",
     lambda pe: attr(manifest(pe), EXECUTION, "level"), "asInvoker"),
    ("manifest uiAccess", lambda pe: attr(manifest(pe), EXECUTION, "uiAccess"), "false"),
    ("manifest supportedOS", lambda pe: [e.get("Id") for e in manifest(pe).iter(
        f"{{{COMPAT}}}supportedOS")], WINDOWS_7_TO_11),
    ("manifest dpiAware", lambda pe: text(manifest(pe), WINDOWS_SETTINGS +
                                          f"{{{SETTINGS}}}dpiAware"), "true"),
    ("manifest dpiAwareness (per-monitor)", lambda pe: text(manifest(pe), WINDOWS_SETTINGS +
                                                            f"{{{SETTINGS_2016}}}dpiAwareness"),
     None),
    ("manifest dependencies (common controls v6)",
     lambda pe: len(manifest(pe).findall(f"{{{ASM1}}}dependency")), 0),
]


def main(paths):
    wrong = 0
    for path in paths:
        with open(path, "rb") as f:
            pe = f.read()
        for field, read, expected in FIELDS:
            actual = read(pe)
            if actual != expected:
                print(f"{os.path.basename(path)}: {field} is {actual!r}, expected {expected!r}")
                wrong += 1
    return 1 if wrong else 0


if __name__ == "__main__":
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    sys.exit(main(sys.argv[1:]))
