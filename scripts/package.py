#!/usr/bin/env python3
"""Packages a built release (called by scripts/release.sh, not meant to be run alone).

    package.py zip  STAGE PROGRAMS.tsv VERSION EPOCH OUT.zip
    package.py msi  STAGE PROGRAMS.tsv VERSION EPOCH ICON OUT.msi WORKDIR

STAGE holds the twelve programs. "zip" adds the Chinese README.txt and SHA256SUMS to STAGE and
writes the portable zip with fixed entry order, times and attributes. "msi" writes the
installer with wixl, then stores the Chinese texts itself (wixl drops non-ASCII text) and
fixes every GUID and time stamp, so that one commit gives one package.
"""
import hashlib
import os
import subprocess
import sys
import time
import uuid
import zipfile

SUITE = "TarnMedSuite"
MAKER = "TarnMed"
MAKER_URL = "http://www.tarnmed.example"
# Never change: Windows Installer finds the installed older version by this code.
UPGRADE_CODE = uuid.UUID("2aad5722-ab56-4cdd-ac3c-fd99068043b5")
DOWNGRADE_PLACEHOLDER = "newer version installed"
DOWNGRADE_MESSAGE = f"已安装更高版本的 {SUITE}。如需换用本版本，请先卸载已安装的版本。"


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


def readme_text(programs, version):
    width = max(len(p["exe"]) for p in programs) + 2
    lines = [f"{SUITE} {version}（Windows 64 位便携版）", "",
             "本文件夹中的十二个程序各自独立运行，不需要安装，也不需要其他文件。", "",
             "一、各程序的用途", ""]
    for p in programs:
        lines.append(f"  {p['exe'].ljust(width)}{display_name(p)}——{p['subtitle']}"
                     f"（记录文件 T{p['id']:03d}.csv）")
    lines += ["", "二、记录保存在哪里", "",
              "  点击“保存记录”时，程序把一条记录追加到它自己的记录文件（见上表），",
              "  文件位于当前用户的本地应用数据文件夹：",
              f"    %LOCALAPPDATA%\\{SUITE}\\records\\",
              "  移动、删除或卸载程序都不会删除这些记录。", "",
              "三、如何检查一份副本", "",
              "  1. 核对校验值：SHA256SUMS 列出本文件夹中每个文件的 SHA-256 值。在本文件夹中",
              "     打开 PowerShell，运行",
              "       Get-FileHash -Algorithm SHA256 *.exe, README.txt",
              "     逐行与 SHA256SUMS 比较（Linux 上：sha256sum -c SHA256SUMS）。",
              "  2. 自检：在命令提示符中运行（以 T106.exe 为例）",
              "       start /wait T106.exe --selftest report.txt",
              "       echo %ERRORLEVEL%",
              "     程序不打开窗口，按默认输入完成计算，把结果写入 report.txt（UTF-8）。",
              "     退出码 0 表示全部结果均已算出，2 表示有结果未能算出，",
              "     3 表示报告文件未能写入（文件夹不存在、无写入权限或磁盘已满）。",
              "     同一版本的两份完好副本给出相同的报告（随访日期以当天为准）。", ""]
    return "\ufeff" + "\r\n".join(lines)


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def make_zip(stage, programs, version, epoch, out):
    with open(os.path.join(stage, "README.txt"), "w", encoding="utf-8", newline="") as f:
        f.write(readme_text(programs, version))
    names = [p["exe"] for p in programs] + ["README.txt"]
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
    for i, p in enumerate(programs):
        stem = p["stem"]
        files.append(
            f'          <Component Id="exe_{stem}" Guid="{guid("component", p["exe"])}" Win64="yes">\n'
            f'            <File Id="file_{stem}" Name="{p["exe"]}" '
            f'Source="{os.path.join(stage, p["exe"])}" KeyPath="yes"/>\n'
            f'          </Component>')
        # Shortcut names are ASCII here and replaced after the build (see set_chinese_names).
        remove = '\n            <RemoveFolder Id="menu_remove" On="uninstall"/>' if i == 0 else ""
        shortcuts.append(
            f'          <Component Id="lnk_{stem}" Guid="{guid("shortcut", p["exe"])}" Win64="yes">\n'
            f'            <Shortcut Id="lnk_{stem}" Name="{stem}" Description="{stem}"'
            f' Target="[INSTALLDIR]{p["exe"]}" WorkingDirectory="INSTALLDIR"/>{remove}\n'
            f'            <RegistryValue Root="HKLM" Key="Software\\{MAKER}\\{SUITE}\\Shortcuts"'
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
         INSTALLDIR; wixl ignores After= and needs the number. -->
    <CustomAction Id="SetInstallLocation" Property="ARPINSTALLLOCATION" Value="[INSTALLDIR]"/>
    <InstallExecuteSequence>
      <Custom Action="SetInstallLocation" Sequence="1001">NOT Installed</Custom>
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


def run(frozen_time, *command, cwd=None):
    # wixl and msibuild stamp the package with the current time: freeze it at the commit's.
    subprocess.run(["faketime", "-f", frozen_time, *command], check=True, cwd=cwd,
                   env=dict(os.environ, TZ="UTC"))


def set_chinese_names(msi, programs, frozen_time, workdir):
    """wixl stores non-ASCII text as empty strings: the shortcut names and descriptions and the
    downgrade message are written afterwards with SQL. The database takes them once its code
    page is set: 936 (GBK), which every Windows Installer reads and which holds every title."""
    codepage = os.path.join(workdir, "_ForceCodepage.idt")
    with open(codepage, "w", newline="") as f:
        f.write("\r\n\r\n936\t_ForceCodepage\r\n")
    run(frozen_time, "msibuild", msi, "-i", codepage)
    queries = []
    for p in programs:
        name, description = display_name(p), p["subtitle"]
        for text in (name, description):
            text.encode("gbk")  # fails loudly on a title GBK cannot hold
            if "'" in text or "|" in text:
                raise SystemExit(f"{p['exe']}: quote or bar in {text!r}")
        queries.append(f"UPDATE `Shortcut` SET `Name` = '{p['stem']}|{name}', "
                       f"`Description` = '{description}' WHERE `Shortcut` = 'lnk_{p['stem']}'")
    queries.append(f"UPDATE `LaunchCondition` SET `Description` = '{DOWNGRADE_MESSAGE}' "
                   f"WHERE `Description` = '{DOWNGRADE_PLACEHOLDER}'")
    for query in queries:
        run(frozen_time, "msibuild", msi, "-q", query)


def make_msi(stage, programs, version, epoch, icon, out, workdir):
    os.makedirs(workdir, exist_ok=True)
    out = os.path.abspath(out)
    wxs = os.path.join(workdir, f"{SUITE}.wxs")
    with open(wxs, "w", encoding="utf-8") as f:
        f.write(wxs_text(os.path.relpath(stage, workdir), programs, version,
                         os.path.relpath(icon, workdir)))
    frozen_time = time.strftime("%Y-%m-%d %H:%M:%S", time.gmtime(epoch))
    # The cabinet takes the files' times.
    for p in programs:
        os.utime(os.path.join(stage, p["exe"]), (epoch, epoch))
    if os.path.exists(out):
        os.remove(out)
    run(frozen_time, "wixl", "-a", "x64", "-o", out, os.path.basename(wxs), cwd=workdir)
    set_chinese_names(out, programs, frozen_time, workdir)
    # The package code differs whenever the packaged files do, and only then.
    content = hashlib.sha256()
    for p in programs:
        content.update(sha256(os.path.join(stage, p["exe"])).encode())
    run(frozen_time, "msibuild", out, "-s", f"{SUITE} {version}", MAKER, "x64;2052",
        guid("package", version, content.hexdigest()))


def main(argv):
    if len(argv) >= 6 and argv[1] in ("zip", "msi"):
        stage, programs, version, epoch = argv[2], read_programs(argv[3]), argv[4], int(argv[5])
        if argv[1] == "zip" and len(argv) == 7:
            return make_zip(stage, programs, version, epoch, argv[6])
        if argv[1] == "msi" and len(argv) == 9:
            return make_msi(stage, programs, version, epoch, argv[6], argv[7], argv[8])
    raise SystemExit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
