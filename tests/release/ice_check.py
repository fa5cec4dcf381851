#!/usr/bin/env python3
"""Validates an MSI package by the Windows Installer's documented ICE rules, over its tables as
msitools exports them (no Windows here to run the validation itself).

    ice_check.py PACKAGE.msi [PROGRAM_DIR]      (exit 1 when any rule reports)

Rules: ICE03 (column data: nulls, lengths, ranges, identifiers, GUIDs, 8.3 short names, versions,
foreign keys), ICE38, ICE43, ICE57, ICE64 (user-profile components and folders), ICE68 (custom
action types) and VER (every versioned file has its Version and Language, no file hash; with
PROGRAM_DIR, the Version equals the file's own version record). Warnings fail too: packaging QA
stops on them. Only the columns this suite's package uses are typed; others get the generic checks.
"""
import os
import re
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import versioninfo  # noqa: E402

# Folders inside the user's profile (Windows Installer's profile folder properties).
PROFILE_FOLDERS = {"AppDataFolder", "DesktopFolder", "FavoritesFolder", "LocalAppDataFolder",
                   "MyPicturesFolder", "NetHoodFolder", "PersonalFolder", "PrintHoodFolder",
                   "ProgramMenuFolder", "RecentFolder", "SendToFolder", "StartMenuFolder",
                   "StartupFolder", "TemplateFolder", "AdminToolsFolder"}
HKCU, HKLM_OR_HKCU = 1, -1
REGISTRY_KEY_PATH = 0x4  # Component.Attributes: the KeyPath names a Registry row

# ICE03 column categories, as the Windows Installer's column data types name them.
CATEGORIES = {
    ("Directory", "Directory"): "Identifier", ("Directory", "Directory_Parent"): "Identifier",
    ("Directory", "DefaultDir"): "DefaultDir",
    ("Component", "Component"): "Identifier", ("Component", "ComponentId"): "Guid",
    ("Component", "KeyPath"): "Identifier",
    ("File", "File"): "Identifier", ("File", "FileName"): "Filename",
    ("File", "Version"): "Version", ("File", "Language"): "Language",
    ("Shortcut", "Shortcut"): "Identifier", ("Shortcut", "Name"): "Filename",
    ("Registry", "Registry"): "Identifier", ("RemoveFile", "FileName"): "WildCardFilename",
    ("CustomAction", "Action"): "Identifier", ("Feature", "Feature"): "Identifier",
    ("Property", "Property"): "Identifier", ("Upgrade", "UpgradeCode"): "Guid",
    ("Upgrade", "VersionMin"): "Version", ("Upgrade", "VersionMax"): "Version",
}
SETS = {("Registry", "Root"): {-1, 0, 1, 2, 3}, ("RemoveFile", "InstallMode"): {1, 2, 3}}
# Foreign keys: (table, column) -> tables the value must be a key of.
KEYS = {
    ("Directory", "Directory_Parent"): ("Directory",), ("Component", "Directory_"): ("Directory",),
    ("Component", "KeyPath"): ("File", "Registry", "ODBCDataSource"),
    ("File", "Component_"): ("Component",), ("Shortcut", "Directory_"): ("Directory",),
    ("Shortcut", "Component_"): ("Component",), ("Registry", "Component_"): ("Component",),
    ("RemoveFile", "Component_"): ("Component",), ("RemoveFile", "DirProperty"): ("Directory",),
    ("CreateFolder", "Directory_"): ("Directory",), ("CreateFolder", "Component_"): ("Component",),
    ("FeatureComponents", "Feature_"): ("Feature",),
    ("FeatureComponents", "Component_"): ("Component",), ("MsiFileHash", "File_"): ("File",),
}
SHORT_BAD = set('\\?|><:/*"+,;=[] ')
LONG_BAD = set('\\?|><:/*"')
VERSIONED = (".exe", ".dll", ".ocx", ".sys", ".drv", ".cpl", ".scr")


class Table:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            lines = f.read().split("\n")
        self.columns, self.types = lines[0].split("\t"), lines[1].split("\t")
        self.keys = lines[2].split("\t")[1:]
        self.rows = [dict(zip(self.columns, line.split("\t"))) for line in lines[3:] if line]

    def key(self, row):
        return "/".join(row[k] for k in self.keys)


def export(package, folder):
    names = subprocess.run(["msiinfo", "tables", package], check=True, capture_output=True,
                           text=True).stdout.split()
    tables = {}
    for name in names:
        if name.startswith("_"):
            continue
        path = os.path.join(folder, f"{name}.idt")
        # msiinfo writes a table's binary streams into the current folder: keep them there.
        with open(path, "wb") as f:
            subprocess.run(["msiinfo", "export", os.path.abspath(package), name], check=True,
                           stdout=f, cwd=folder)
        tables[name] = Table(path)
    return tables


def short_name_ok(name):
    base, dot, ext = name.partition(".")
    return (0 < len(base) <= 8 and len(ext) <= 3 and "." not in ext and name.isascii()
            and not (set(name) & SHORT_BAD) and (ext or not dot))


def filename_ok(value):
    short, bar, long = value.partition("|")
    if not short_name_ok(short):
        return False
    return not bar or (long and not (set(long) & LONG_BAD) and not long.endswith((" ", ".")))


def version_ok(value):
    parts = value.split(".")
    return len(parts) <= 4 and all(p.isdigit() and int(p) <= 65535 for p in parts)


def value_ok(category, value, row):
    if category == "Identifier":
        return re.fullmatch(r"[A-Za-z_][A-Za-z0-9_.]*", value) is not None
    if category == "Guid":
        return re.fullmatch(r"\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}", value) is not None
    if category == "Filename":
        return filename_ok(value)
    if category == "WildCardFilename":
        return filename_ok(value.replace("*", "A").replace("?", "A"))
    if category == "DefaultDir":
        # A root folder's DefaultDir is the name of its source root, not a file name.
        if not row.get("Directory_Parent") or row["Directory_Parent"] == row["Directory"]:
            return True
        return all(part == "." or filename_ok(part) for part in value.split(":"))
    if category == "Version":
        return version_ok(value)
    if category == "Language":
        return all(p.isdigit() and int(p) <= 65535 for p in value.split(","))
    return True


def ice03(t, report):
    for name, table in t.items():
        for column, kind in zip(table.columns, table.types):
            nullable, code, size = kind[0].isupper(), kind[0].lower(), int(kind[1:] or 0)
            for row in table.rows:
                value, where = row[column], f"{name}.{column} [{table.key(row)}]"
                if value == "":
                    if not nullable:
                        report("ICE03", "error", f"{where}: null in a column that needs a value")
                    continue
                if code in "sl" and size and len(value) > size:
                    report("ICE03", "error", f"{where}: longer than {size} characters")
                if code == "i":
                    limit = 32767 if size == 2 else 2147483647
                    if not re.fullmatch(r"-?\d+", value) or abs(int(value)) > limit:
                        report("ICE03", "error", f"{where}: {value!r} out of range")
                        continue
                    if int(value) not in SETS.get((name, column), {int(value)}):
                        report("ICE03", "error", f"{where}: {value} not in the column's set")
                category = CATEGORIES.get((name, column))
                if category and not value_ok(category, value, row):
                    report("ICE03", "error", f"{where}: invalid {category} {value!r}")
                targets = KEYS.get((name, column))
                if targets and not any(value in keys(t, target) for target in targets):
                    report("ICE03", "error", f"{where}: {value!r} is not a valid foreign key")


def keys(t, name):
    table = t.get(name)
    return {table.key(row) for row in table.rows} if table else set()


def rows(t, name):
    return t[name].rows if name in t else []


def profile_dirs(t):
    parents = {r["Directory"]: r["Directory_Parent"] for r in rows(t, "Directory")}
    inside = set()
    for d in parents:
        at, seen = d, set()
        while at and at not in seen:
            if at in PROFILE_FOLDERS:
                inside.add(d)
                break
            seen.add(at)
            at = parents.get(at)
    return inside


def key_path_root(t, component):
    """The registry root of a component's key path, or None when it is a file or folder."""
    if not int(component["Attributes"] or 0) & REGISTRY_KEY_PATH:
        return None
    for r in rows(t, "Registry"):
        if r["Registry"] == component["KeyPath"]:
            return int(r["Root"])
    return None


def ice38_43(t, report):
    profile = profile_dirs(t)
    for c in rows(t, "Component"):
        if c["Directory_"] in profile and key_path_root(t, c) != HKCU:
            report("ICE38", "error", f"Component {c['Component']} installs to the user profile: "
                   "its KeyPath must be a registry value under HKCU")
    components = {c["Component"]: c for c in rows(t, "Component")}
    features = keys(t, "Feature")
    for s in rows(t, "Shortcut"):
        c = components.get(s["Component_"])
        advertised = s["Target"] in features
        if c and not advertised and s["Directory_"] in profile and key_path_root(t, c) != HKCU:
            report("ICE43", "error", f"Component {c['Component']} has non-advertised shortcuts: "
                   "its KeyPath must be a registry value under HKCU")


def ice57(t, report):
    profile = profile_dirs(t)
    for c in rows(t, "Component"):
        name = c["Component"]
        places = [c["Directory_"] for f in rows(t, "File") if f["Component_"] == name]
        places += [s["Directory_"] for s in rows(t, "Shortcut") if s["Component_"] == name]
        places += [r["DirProperty"] for r in rows(t, "RemoveFile") if r["Component_"] == name]
        places += [f["Directory_"] for f in rows(t, "CreateFolder") if f["Component_"] == name]
        user = any(p in profile for p in places if p)
        machine = any(p not in profile for p in places if p)
        roots = [int(r["Root"]) for r in rows(t, "Registry") if r["Component_"] == name]
        user |= HKCU in roots
        machine |= any(root in (0, 2, 3) for root in roots)
        either = HKLM_OR_HKCU in roots
        root = key_path_root(t, c)
        key_user = root == HKCU or (root is None and c["Directory_"] in profile)
        if root == HKLM_OR_HKCU and user:
            report("ICE57", "error", f"Component {name} has per-user data and a KeyPath that "
                   "can be per-user or per-machine")
        elif user and machine and not key_user:
            report("ICE57", "error", f"Component {name} has per-user and per-machine data with "
                   "a per-machine KeyPath")
        elif user and machine:
            report("ICE57", "warning", f"Component {name} has per-user and per-machine data "
                   "with an HKCU KeyPath")
        elif either and not key_user:
            report("ICE57", "warning", f"Component {name} has a registry entry that can be "
                   "per-user or per-machine and a per-machine KeyPath")


def ice64(t, report):
    removed = {r["DirProperty"] for r in rows(t, "RemoveFile")}
    for d in sorted(profile_dirs(t) - PROFILE_FOLDERS - removed):
        report("ICE64", "error", f"Directory {d} is in the user profile but not in the "
               "RemoveFile table")


# Custom action base types (source and target bits) that exist.
CA_TYPES = {1, 2, 5, 6, 7, 17, 18, 19, 21, 22, 23, 34, 35, 37, 38, 39, 50, 51, 53, 54}
IN_SCRIPT, NO_IMPERSONATE, TS_AWARE = 0x400, 0x800, 0x4000
SETS_PROPERTY = {19, 35, 51}  # error, set folder, set property: never deferred


def ice68(t, report):
    for a in rows(t, "CustomAction"):
        kind = int(a["Type"]) & 0xFFFF
        base = kind & 0x3F
        where = f"Custom action {a['Action']} (type {kind})"
        if base not in CA_TYPES:
            report("ICE68", "error", f"{where}: no such custom action type")
        elif base in SETS_PROPERTY and kind & IN_SCRIPT:
            report("ICE68", "error", f"{where}: a property or folder cannot be set in-script")
        elif kind & (NO_IMPERSONATE | TS_AWARE) and not kind & IN_SCRIPT:
            report("ICE68", "warning", f"{where}: no-impersonate or TS-aware flag without "
                   "deferred (in-script) execution")


def versioned_files(t, report, program_dir):
    hashed = {h["File_"] for h in rows(t, "MsiFileHash")}
    for f in rows(t, "File"):
        long_name = f["FileName"].split("|")[-1]
        if not long_name.lower().endswith(VERSIONED):
            continue
        where = f"File {f['File']} ({long_name})"
        if not f["Version"] or not f["Language"]:
            report("VER", "error", f"{where}: versioned file without Version and Language")
            continue
        if f["File"] in hashed:
            report("VER", "error", f"{where}: a versioned file must not carry a file hash")
        if program_dir:
            with open(os.path.join(program_dir, long_name), "rb") as exe:
                info = versioninfo.decode(versioninfo.version_resource(exe.read()))
            numbers = ".".join(str(n) for n in info["FILEVERSION"])
            languages = ",".join(str(lang) for lang, _ in info["translations"])
            if (f["Version"], f["Language"]) != (numbers, languages):
                report("VER", "error", f"{where}: Version {f['Version']} Language "
                       f"{f['Language']}, the file says {numbers} {languages}")


RULES = [  # (rule, what it guards against)
    (ice03, "column data a Windows Installer rejects or misreads"),
    (ice38_43, "a profile component that cannot be detected per user"),
    (ice57, "per-user and per-machine data mixed in one component"),
    (ice64, "a profile folder left behind on uninstall"),
    (ice68, "a custom action type that does not exist or misbehaves"),
]


def main(argv):
    if len(argv) not in (2, 3):
        raise SystemExit(__doc__)
    findings = []

    def report(rule, level, text):
        findings.append(f"{rule} {level}: {text}")

    with tempfile.TemporaryDirectory() as folder:
        t = export(argv[1], folder)
        for rule, _ in RULES:
            rule(t, report)
        versioned_files(t, report, argv[2] if len(argv) == 3 else None)
    for line in findings:
        print(line)
    print(f"ice_check: {len(findings)} finding(s) in {os.path.basename(argv[1])}")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
