#!/usr/bin/env python3
"""Packages a built release (called by scripts/release.sh, not meant to be run alone).

    package.py docs  STAGE PROGRAMS.tsv VERSION EPOCH BUILD_DIR SOURCE_DIR
    package.py zip   STAGE PROGRAMS.tsv VERSION EPOCH OUT.zip
    package.py msi   STAGE PROGRAMS.tsv VERSION EPOCH ICON OUT.msi WORKDIR
    package.py check-notices NOTICES MAP...

STAGE holds the twelve programs. "docs" copies LICENSE, THIRD-PARTY-NOTICES.txt and
CHANGELOG.md into STAGE and writes the SPDX bill of materials from the programs and the
runtime files their link maps (BUILD_DIR/<program>.map) name; it refuses a runtime file that no
notice covers. "zip" adds the Chinese README.txt and SHA256SUMS to STAGE and writes the
portable zip with fixed entry order, times and attributes. "msi" writes the installer with
wixl, then completes what wixl cannot write (Chinese texts, short names, file versions) and
fixes every GUID and time stamp, so that one commit gives one package. "check-notices" says
which runtime files named in the link maps no notice covers (exit 1).
"""
import contextlib
import ctypes
import functools
import glob
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import time
import urllib.parse
import uuid
import zipfile

import versioninfo

PRODUCT = versioninfo.product_names()
SUITE = PRODUCT["TARN_PRODUCT_NAME"]
MAKER = PRODUCT["TARN_COMPANY_NAME"]
MAKER_WEB = PRODUCT["TARN_MAKER_WEB_ADDRESS"]
MAKER_URL = f"http://{MAKER_WEB}"
# Never change: Windows Installer finds the installed older version by this code.
UPGRADE_CODE = uuid.UUID("2aad5722-ab56-4cdd-ac3c-fd99068043b5")
DOWNGRADE_PLACEHOLDER = "newer version installed"
DOWNGRADE_MESSAGE = f"已安装更高版本的 {SUITE}。如需换用本版本，请先卸载已安装的版本。"
SBOM = f"{SUITE}.spdx.json"
NOTICES = "THIRD-PARTY-NOTICES.txt"
# Shipped beside the programs in the zip, the install folder and dist/, with their 8.3 names
# (the installer's File table needs one for every long name).
DOCS = [("LICENSE", "LICENSE"), (NOTICES, "THIRDP~1.TXT"), ("CHANGELOG.md", "CHANGE~1.MD"),
        (SBOM, "TARNME~1.JSO")]
INSTALL_DIR_SHORT = SUITE.upper()[:8]  # 8.3 name of the suite's folders


def read_programs(path):
    programs = []
    with open(path, encoding="utf-8") as f:
        for line in f:
            exe, tool_id, title, subtitle, category = line.rstrip("\n").split("\t")
            programs.append({"exe": exe, "stem": exe[:-4], "id": int(tool_id), "title": title,
                             "subtitle": subtitle, "category": category})
    if len(programs) != 12:
        raise SystemExit(f"{path}: {len(programs)} programs, expected 12")
    return programs


def display_name(program):
    """The name a user looks for: the tool's title, with its category when the title is not
    Chinese (talvoro's title is its product name)."""
    title = program["title"]
    return title if not title.isascii() else f"{title}（{program['category']}）"


def readme_text(programs, version, epoch):
    width = max(len(p["exe"]) for p in programs) + 2
    date = time.strftime("%Y-%m-%d", time.gmtime(epoch))
    lines = [f"{SUITE} {version}（Windows 64 位）  发布日期：{date}", "",
             "一、用途：计算辅助，不代替医嘱", "",
             "  这些程序按输入的数值计算剂量、时间、核对单等，供临床人员核对参考。",
             "  使用结果之前，请与医嘱、药品说明和本院规范逐项核对（药名、剂量、单位、",
             "  时间）；结果与医嘱不一致时，以核对后的医嘱为准，并告知医生或药师。", "",
             "二、如何打开程序", "",
             f"  安装版：开始菜单 → {SUITE} → 程序名称（见下表）。",
             "  便携版：把压缩包整个解压到一个文件夹，双击其中的程序（.exe）。",
             "  在左侧输入框中只填数字（单位已标在框后），按 F5、回车或“计算”得到结果；",
             "  修改输入后，旧结果变灰，状态栏提示“输入已更改，请按 F5 重新计算”；重新计算",
             "  之前不能复制或保存。", "",
             "  程序" + " " * (width - 4) + "名称——用途（记录文件）"]
    for p in programs:
        lines.append(f"  {p['exe'].ljust(width)}{display_name(p)}——{p['subtitle']}"
                     f"（T{p['id']:03d}.csv）")
    lines += ["", "三、记录保存在哪里，“已保存”和“保存失败”是什么意思", "",
              "  点击“保存记录”时，程序把本次结果作为一条记录追加到它自己的记录文件，",
              "  文件位于当前用户的本地应用数据文件夹（每位 Windows 用户各有一份）：",
              f"    %LOCALAPPDATA%\\{SUITE}\\records\\",
              "  “已保存”：这条记录已完整写入文件。",
              "  “保存失败”：这条记录没有写入，文件保持原样，之前的记录不受影响。若提示文件",
              "  正被其他程序打开，请先关闭 Excel 等打开该文件的程序，再点一次“保存记录”；",
              "  若仍失败（例如磁盘已满），请先手工记下结果，并联系本院信息科。",
              "  “保存结果不明”：记录可能已经写入，但未能确认。请先打开记录文件核对最后一行，",
              "  没有这条记录时再保存，以免重复。",
              "  移动、删除或卸载程序都不会删除这些记录。在多人共用或重启后还原的电脑上，",
              "  请由信息科定期备份上述文件夹。", "",
              "四、如何检查一份副本", "",
              "  1. 核对校验值：SHA256SUMS 列出本文件夹中每个文件的 SHA-256 值。在本文件夹中",
              "     打开 PowerShell，运行",
              "       Get-FileHash -Algorithm SHA256 *",
              "     逐行与 SHA256SUMS 比较（Linux 上：sha256sum -c SHA256SUMS）。",
              "  2. 自检：在命令提示符中运行（以 T106.exe 为例）",
              "       start /wait T106.exe --selftest report.txt",
              "       echo %ERRORLEVEL%",
              "     程序不打开窗口，按默认输入完成计算，把结果写入 report.txt（UTF-8）。",
              "     退出码 0 表示全部结果均已算出，2 表示有结果未能算出，",
              "     3 表示报告文件未能写入（文件夹不存在、无写入权限或磁盘已满）。",
              "     同一版本的两份完好副本给出相同的报告（随访日期以当天为准）。", "",
              "五、Windows 显示“Windows 已保护你的电脑”（SmartScreen）时", "",
              "  未签名的副本没有可验证的发布者，Windows 会这样提示。这并不说明文件有害，",
              "  但也无法证明文件未被改动：请不要自行点击“仍要运行”，先按第四节核对校验值，",
              f"  并请信息科确认副本来源。已签名的副本在文件属性的“数字签名”中显示 {MAKER}。", "",
              "六、联系方式", "",
              "  使用或安装问题：请联系本院信息科。",
              f"  软件发布方：{MAKER}（{MAKER_WEB}）。", "",
              "七、许可与组成", "",
              "  LICENSE（Apache-2.0）、THIRD-PARTY-NOTICES.txt（程序内含的第三方运行库声明）、",
              f"  CHANGELOG.md（版本变更）、{SBOM}（SPDX 物料清单）。", ""]
    return "\ufeff" + "\r\n".join(lines)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def make_zip(stage, programs, version, epoch, out):
    with open(os.path.join(stage, "README.txt"), "w", encoding="utf-8", newline="") as f:
        f.write(readme_text(programs, version, epoch))
    names = [p["exe"] for p in programs] + ["README.txt"] + [name for name, _ in DOCS]
    with open(os.path.join(stage, "SHA256SUMS"), "w", encoding="ascii", newline="\n") as f:
        for name in sorted(names):
            f.write(f"{sha256(os.path.join(stage, name))}  {name}\n")
    names.append("SHA256SUMS")
    folder = os.path.basename(os.path.normpath(stage))
    stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip times start in 1980
    with zipfile.ZipFile(out, "w") as z:
        for name in sorted(names):
            entry = zipfile.ZipInfo(f"{folder}/{name}", date_time=stamp)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3
            entry.external_attr = 0o100644 << 16
            with open(os.path.join(stage, name), "rb") as f:
                z.writestr(entry, f.read(), compresslevel=9)


def guid(kind, *parts):
    return "{" + str(uuid.uuid5(UPGRADE_CODE, "/".join((kind,) + parts))).upper() + "}"


def wxs_text(stage, programs, version, icon):
    """wixl takes only relative paths: STAGE and ICON are relative to the .wxs file's folder."""
    files, shortcuts, refs = [], [], []
    for i, (name, _) in enumerate(DOCS):
        files.append(
            f'          <Component Id="doc_{i}" Guid="{guid("component", name)}" Win64="yes">\n'
            f'            <File Id="doc_{i}" Name="{name}" Source="{os.path.join(stage, name)}"'
            f' KeyPath="yes"/>\n'
            f'          </Component>')
        refs.append(f'      <ComponentRef Id="doc_{i}"/>')
    for i, p in enumerate(programs):
        stem = p["stem"]
        files.append(
            f'          <Component Id="exe_{stem}" Guid="{guid("component", p["exe"])}" Win64="yes">\n'
            f'            <File Id="file_{stem}" Name="{p["exe"]}" '
            f'Source="{os.path.join(stage, p["exe"])}" KeyPath="yes"/>\n'
            f'          </Component>')
        # Shortcut names are ASCII here and replaced after the build (see complete_tables). A
        # shortcut in the Start menu is per-user data to Windows Installer, so its component
        # is found by a value under HKCU (ICE38, ICE43, ICE57). A new key path takes a new
        # component code.
        remove = '\n            <RemoveFolder Id="menu_remove" On="uninstall"/>' if i == 0 else ""
        shortcuts.append(
            f'          <Component Id="lnk_{stem}" Guid="{guid("shortcut-hkcu", p["exe"])}"'
            f' Win64="yes">\n'
            f'            <Shortcut Id="lnk_{stem}" Name="{stem}" Description="{stem}"'
            f' Target="[INSTALLDIR]{p["exe"]}" WorkingDirectory="INSTALLDIR"/>{remove}\n'
            f'            <RegistryValue Root="HKCU" Key="Software\\{MAKER}\\{SUITE}\\Shortcuts"'
            f' Name="{stem}" Type="integer" Value="1" KeyPath="yes"/>\n'
            f'          </Component>')
        refs += [f'      <ComponentRef Id="exe_{stem}"/>', f'      <ComponentRef Id="lnk_{stem}"/>']
    nl = "\n"
    return f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{guid("product", version)[1:-1]}" Name="{SUITE}" Language="2052" Version="{version}"
           Manufacturer="{MAKER}" UpgradeCode="{str(UPGRADE_CODE).upper()}">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
             Manufacturer="{MAKER}" Description="{SUITE} {version}"/>
    <MajorUpgrade DowngradeErrorMessage="{DOWNGRADE_PLACEHOLDER}"/>
    <Media Id="1" Cabinet="suite.cab" EmbedCab="yes"/>
    <Icon Id="suite.ico" SourceFile="{icon}"/>
    <Property Id="ARPPRODUCTICON" Value="suite.ico"/>
    <Property Id="ARPURLINFOABOUT" Value="{MAKER_URL}"/>
    <Property Id="ARPNOMODIFY" Value="1"/>
    <!-- The uninstall entry's InstallLocation, set right after CostFinalize (1000) has resolved
         INSTALLDIR, on install and on repair (which registers the entry again); wixl ignores
         After= and needs the number. Immediate and impersonated: a plain set-property action
         (type 51, ICE68). -->
    <CustomAction Id="SetInstallLocation" Property="ARPINSTALLLOCATION" Value="[INSTALLDIR]"
                  Execute="immediate" Impersonate="yes"/>
    <InstallExecuteSequence>
      <Custom Action="SetInstallLocation" Sequence="1001">REMOVE&lt;&gt;"ALL"</Custom>
    </InstallExecuteSequence>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="{SUITE}">
{nl.join(files)}
        </Directory>
      </Directory>
      <Directory Id="ProgramMenuFolder">
        <Directory Id="MenuDir" Name="{SUITE}">
{nl.join(shortcuts)}
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Programs" Level="1" Absent="disallow">
{nl.join(refs)}
    </Feature>
  </Product>
</Wix>
"""


@contextlib.contextmanager
def frozen_clock(frozen_time):
    """The environment that runs a tool with the clock frozen at `frozen_time` (UTC):
    libfaketime preloaded directly. Not the faketime wrapper: it names a semaphore and shared
    memory in /dev/shm by its process id and stops ("sem_open: File exists") when a process id
    comes round again to one that an earlier run left there. Without the wrapper the library
    does the same in each process it is loaded into, unless it is handed a pair to share:
    this run's, named by no process id, made here and removed when the block ends."""
    libraries = sorted(glob.glob("/usr/lib/*/faketime/libfaketime.so.1"))
    if not libraries:
        raise SystemExit("libfaketime.so.1 not found: install faketime (scripts/install-deps.sh)")
    libc = ctypes.CDLL(None, use_errno=True)
    libc.sem_open.restype = ctypes.c_void_p
    libc.sem_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.c_uint, ctypes.c_uint]
    libc.sem_close.argtypes = [ctypes.c_void_p]
    libc.shm_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.c_uint]
    name = f"/tarn-package-clock-{uuid.uuid4().hex}"
    created = os.O_CREAT | os.O_EXCL
    semaphore = libc.sem_open(name.encode(), created, 0o600, 1)
    if not semaphore:
        raise SystemExit(f"sem_open {name}: {os.strerror(ctypes.get_errno())}")
    libc.sem_close(semaphore)
    try:
        memory = libc.shm_open(name.encode(), created | os.O_RDWR, 0o600)
        if memory < 0:
            raise SystemExit(f"shm_open {name}: {os.strerror(ctypes.get_errno())}")
        try:
            os.ftruncate(memory, 4096)  # the library maps its shared record from the start
        finally:
            os.close(memory)
        preload = " ".join(filter(None, [libraries[0], os.environ.get("LD_PRELOAD")]))
        yield dict(os.environ, TZ="UTC", LD_PRELOAD=preload, FAKETIME=frozen_time,
                   FAKETIME_SHARED=f"{name} {name}")
    finally:
        libc.shm_unlink(name.encode())
        libc.sem_unlink(name.encode())


def run(clock, workdir, *command):
    # wixl and msibuild stamp the package with the current time: `clock` (frozen_clock) freezes
    # it at the commit's. Both run in the work folder: msibuild leaves the package's streams
    # (Icon/...) there.
    subprocess.run(command, check=True, cwd=workdir, env=clock)


def sql_text(text):
    if "'" in text:
        raise SystemExit(f"quote in {text!r}")
    return text


def complete_tables(msi, stage, programs, version, clock, workdir):
    """What wixl cannot write, done with SQL on the built package:
    - the Chinese shortcut names and descriptions and the downgrade message (wixl stores
      non-ASCII text as empty strings). The database takes them once its code page is set:
      936 (GBK), which every Windows Installer reads and which holds every title;
    - an 8.3 short name beside every long folder and file name (ICE03);
    - each program's version and language from its version record, so that Windows Installer
      treats it as versioned: a repair or upgrade replaces an older or damaged copy. A
      versioned file is compared by version, never by a hash, so its hash row goes."""
    codepage = os.path.join(workdir, "_ForceCodepage.idt")
    with open(codepage, "w", newline="") as f:
        f.write("\r\n\r\n936\t_ForceCodepage\r\n")
    run(clock, workdir, "msibuild", msi, "-i", codepage)
    queries = []
    for p in programs:
        name, description = display_name(p), p["subtitle"]
        for text in (name, description):
            text.encode("gbk")  # fails loudly on a title GBK cannot hold
            if "|" in text:
                raise SystemExit(f"{p['exe']}: bar in {text!r}")
        queries.append(f"UPDATE `Shortcut` SET `Name` = '{p['stem']}|{sql_text(name)}', "
                       f"`Description` = '{sql_text(description)}' "
                       f"WHERE `Shortcut` = 'lnk_{p['stem']}'")
    queries.append(f"UPDATE `LaunchCondition` SET `Description` = '{DOWNGRADE_MESSAGE}' "
                   f"WHERE `Description` = '{DOWNGRADE_PLACEHOLDER}'")
    queries.append(f"UPDATE `Directory` SET `DefaultDir` = '{INSTALL_DIR_SHORT}|{SUITE}' "
                   f"WHERE `DefaultDir` = '{SUITE}'")
    for i, (name, short) in enumerate(DOCS):
        if short != name:
            queries.append(f"UPDATE `File` SET `FileName` = '{short}|{name}' "
                           f"WHERE `File` = 'doc_{i}'")
    for p in programs:
        numbers, languages = program_version(os.path.join(stage, p["exe"]))
        queries.append(f"UPDATE `File` SET `Version` = '{numbers}', `Language` = '{languages}' "
                       f"WHERE `File` = 'file_{p['stem']}'")
        queries.append(f"DELETE FROM `MsiFileHash` WHERE `File_` = 'file_{p['stem']}'")
    for query in queries:
        run(clock, workdir, "msibuild", msi, "-q", query)


def program_version(path):
    """FILEVERSION ("1.0.0.0") and the languages ("2052") of a program's version record."""
    with open(path, "rb") as f:
        info = versioninfo.decode(versioninfo.version_resource(f.read()))
    return (".".join(str(n) for n in info["FILEVERSION"]),
            ",".join(str(language) for language, _ in info["translations"]))


def make_msi(stage, programs, version, epoch, icon, out, workdir):
    workdir, out = os.path.abspath(workdir), os.path.abspath(out)
    os.makedirs(workdir, exist_ok=True)
    wxs = os.path.join(workdir, f"{SUITE}.wxs")
    with open(wxs, "w", encoding="utf-8") as f:
        f.write(wxs_text(os.path.relpath(stage, workdir), programs, version,
                         os.path.relpath(icon, workdir)))
    frozen_time = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(epoch))
    # The cabinet takes the files' times.
    for name in [p["exe"] for p in programs] + [name for name, _ in DOCS]:
        os.utime(os.path.join(stage, name), (epoch, epoch))
    if os.path.exists(out):
        os.remove(out)
    # The package code differs whenever the packaged files do, and only then.
    content = hashlib.sha256()
    for p in programs:
        content.update(sha256(os.path.join(stage, p["exe"])).encode())
    with frozen_clock(frozen_time) as clock:
        run(clock, workdir, "wixl", "-a", "x64", "-o", out, os.path.basename(wxs))
        complete_tables(out, stage, programs, version, clock, workdir)
        run(clock, workdir, "msibuild", out, "-s", f"{SUITE} {version}", MAKER, "x64;2052",
            guid("package", version, content.hexdigest()))


# Declared licences of the runtime packages the link takes files from, by Debian package;
# a package not named here is declared NOASSERTION. The texts are in THIRD-PARTY-NOTICES.txt.
RUNTIME_LICENSES = {
    "mingw-w64-x86-64-dev": "ZPL-2.1 AND MIT AND BSD-3-Clause AND LicenseRef-gdtoa",
    "gcc-mingw-w64-x86-64-posix": "GPL-3.0-or-later WITH GCC-exception-3.1",
    "g++-mingw-w64-x86-64-posix":
        "GPL-3.0-or-later WITH GCC-exception-3.1 AND BSL-1.0 AND MIT",
}
GDTOA_TEXT = ("Copyright (C) 1997-2001 Lucent Technologies; Copyright (C) 2004, 2005 David M. Gay. "
              "Permission to use, copy, modify, and distribute this software and its "
              "documentation for any purpose and without fee is hereby granted, provided that "
              "the above copyright notice appear in all copies and that both that the copyright "
              "notice and this permission notice and warranty disclaimer appear in supporting "
              "documentation (full text in THIRD-PARTY-NOTICES.txt, section 2).")


def linked_runtime(map_path):
    """The toolchain's files that a link took in, from GNU ld's map: every archive a member
    was taken from and every object loaded whole, by real path, outside the build."""
    found = set()
    with open(map_path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    members = text.split("Archive member included to satisfy reference by file", 1)[-1]
    members = re.split(r"^(?:Discarded input sections|Allocating common symbols|Memory "
                       r"Configuration)", members, maxsplit=1, flags=re.M)[0]
    for line in members.splitlines():
        match = re.match(r"(/[^()\s]+\.a)\(", line)
        if match:
            found.add(os.path.realpath(match.group(1)))
    for match in re.finditer(r"^LOAD (/\S+\.o)$", text, re.M):
        found.add(os.path.realpath(match.group(1)))
    if not found:
        raise SystemExit(f"{map_path}: no runtime files found in the link map")
    return found


def covered_names(notices_path):
    """File names on the notices' "Libraries:" lines (with their indented continuations)."""
    names, listing = set(), False
    with open(notices_path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("Libraries:"):
                listing, line = True, line[len("Libraries:"):]
            elif not line.startswith(" "):
                listing = False
            if listing:
                names.update(line.split())
    return names


def uncovered(notices_path, map_paths):
    covered = covered_names(notices_path)
    missing = set()
    for path in map_paths:
        missing |= {os.path.basename(f) for f in linked_runtime(path)} - covered
    return sorted(missing)


@functools.lru_cache(maxsize=None)
def debian_package(path):
    owner = subprocess.run(["dpkg-query", "-S", path], capture_output=True, text=True)
    if owner.returncode != 0:
        raise SystemExit(f"{path}: no installed package owns it (dpkg-query -S)")
    name = owner.stdout.split(":", 1)[0].split(",")[0].strip()
    version = subprocess.run(["dpkg-query", "-W", "-f=${Version}", name], check=True,
                             capture_output=True, text=True).stdout
    return name, version


def quote(text):
    return urllib.parse.quote(text, safe="")


def file_hashes(path):
    with open(path, "rb") as f:
        data = f.read()
    return hashlib.sha1(data).hexdigest(), hashlib.sha256(data).hexdigest()


def sbom(stage, programs, version, epoch, map_paths):
    """SPDX 2.3 (JSON): the suite, each program with its hashes, and the runtime packages of
    the build machine that each program links statically, with their installed versions."""
    files, relations, runtime = [], [], {}
    suite_id = f"SPDXRef-Package-{SUITE}"
    relations.append({"spdxElementId": "SPDXRef-DOCUMENT", "relationshipType": "DESCRIBES",
                      "relatedSpdxElement": suite_id})
    for p, map_path in zip(programs, map_paths):
        sha1, sha256_hex = file_hashes(os.path.join(stage, p["exe"]))
        file_id = f"SPDXRef-File-{p['stem']}"
        files.append({"SPDXID": file_id, "fileName": f"./{p['exe']}", "fileTypes": ["BINARY"],
                      "checksums": [{"algorithm": "SHA1", "checksumValue": sha1},
                                    {"algorithm": "SHA256", "checksumValue": sha256_hex}],
                      "licenseConcluded": "NOASSERTION", "copyrightText": "NOASSERTION"})
        relations.append({"spdxElementId": suite_id, "relationshipType": "CONTAINS",
                          "relatedSpdxElement": file_id})
        for name, pkg_version in sorted({debian_package(f) for f in linked_runtime(map_path)}):
            package_id = "SPDXRef-Package-" + re.sub(r"[^A-Za-z0-9.-]", "-", name)
            runtime[package_id] = (name, pkg_version)
            relations.append({"spdxElementId": file_id, "relationshipType": "STATIC_LINK",
                              "relatedSpdxElement": package_id})
    sha1s = sorted(f["checksums"][0]["checksumValue"] for f in files)
    packages = [{
        "SPDXID": suite_id, "name": SUITE, "versionInfo": version,
        "supplier": f"Organization: {MAKER}", "originator": f"Organization: {MAKER}",
        "downloadLocation": "NOASSERTION", "homepage": MAKER_URL, "filesAnalyzed": True,
        "packageVerificationCode": {
            "packageVerificationCodeValue": hashlib.sha1("".join(sha1s).encode()).hexdigest()},
        "licenseConcluded": "Apache-2.0", "licenseDeclared": "Apache-2.0",
        "copyrightText": f"Copyright {time.gmtime(epoch).tm_year} {MAKER}",
        "hasFiles": [f["SPDXID"] for f in files]}]
    for package_id, (name, pkg_version) in sorted(runtime.items()):
        packages.append({
            "SPDXID": package_id, "name": name, "versionInfo": pkg_version,
            "supplier": "Organization: Debian", "downloadLocation": "NOASSERTION",
            "filesAnalyzed": False, "primaryPackagePurpose": "LIBRARY",
            "licenseConcluded": "NOASSERTION",
            "licenseDeclared": RUNTIME_LICENSES.get(name, "NOASSERTION"),
            "copyrightText": "NOASSERTION",
            "externalRefs": [{"referenceCategory": "PACKAGE-MANAGER", "referenceType": "purl",
                              "referenceLocator": f"pkg:deb/debian/{quote(name)}@"
                                                  f"{quote(pkg_version)}?arch=amd64"}]})
    content = hashlib.sha256(json.dumps([files, packages], sort_keys=True).encode()).hexdigest()
    return {
        "spdxVersion": "SPDX-2.3", "dataLicense": "CC0-1.0", "SPDXID": "SPDXRef-DOCUMENT",
        "name": f"{SUITE}-{version}",
        "documentNamespace": f"{MAKER_URL}/spdx/{SUITE}-{version}-{content[:16]}",
        "creationInfo": {"created": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(epoch)),
                         "creators": [f"Organization: {MAKER}", "Tool: scripts/package.py"]},
        "packages": packages, "files": files, "relationships": relations,
        "hasExtractedLicensingInfos": [{"licenseId": "LicenseRef-gdtoa", "name": "gdtoa",
                                        "extractedText": GDTOA_TEXT}]}


def make_docs(stage, programs, version, epoch, build, source):
    for name, _ in DOCS:
        if name != SBOM:
            shutil.copyfile(os.path.join(source, name), os.path.join(stage, name))
    maps = [os.path.join(build, p["exe"] + ".map") for p in programs]
    missing = uncovered(os.path.join(source, NOTICES), maps)
    if missing:
        raise SystemExit(f"runtime files in the link that no notice covers: {' '.join(missing)}"
                         f" (add them to {NOTICES})")
    with open(os.path.join(stage, SBOM), "w", encoding="utf-8", newline="\n") as f:
        json.dump(sbom(stage, programs, version, epoch, maps), f, ensure_ascii=False, indent=1)
        f.write("\n")


def main(argv):
    if len(argv) >= 4 and argv[1] == "check-notices":
        missing = uncovered(argv[2], argv[3:])
        for name in missing:
            print(f"not covered by a notice: {name}")
        return 1 if missing else 0
    if len(argv) >= 6 and argv[1] in ("zip", "msi", "docs"):
        stage, programs, version, epoch = argv[2], read_programs(argv[3]), argv[4], int(argv[5])
        if argv[1] == "docs" and len(argv) == 8:
            return make_docs(stage, programs, version, epoch, argv[6], argv[7])
        if argv[1] == "zip" and len(argv) == 7:
            return make_zip(stage, programs, version, epoch, argv[6])
        if argv[1] == "msi" and len(argv) == 9:
            return make_msi(stage, programs, version, epoch, argv[6], argv[7], argv[8])
    raise SystemExit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
