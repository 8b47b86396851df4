#!/usr/bin/env python3
"""Installs the build into a temporary DESTDIR under /usr and packages it with cpack, then checks
what a user's system would get: the file set, the menu entries and the metainfo as the desktop's
own validators see them, the manual page, the answers of --help and --version, and the .deb's
contents and dependencies.

usage: check_install.py BUILD_DIR VERSION
"""

import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

APP_ID = "org.quorvane.Quorvane"
ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
EXPECTED_FILES = {
    "usr/bin/quorvane",
    f"usr/share/applications/{APP_ID}.desktop",
    f"usr/share/applications/{APP_ID}.ExtractHere.desktop",
    f"usr/share/metainfo/{APP_ID}.metainfo.xml",
    "usr/share/man/man1/quorvane.1",
    "usr/share/icons/hicolor/scalable/apps/quorvane.svg",
    *(f"usr/share/icons/hicolor/{s}x{s}/apps/quorvane.png" for s in ICON_SIZES),
}
# Found by dpkg-shlibdeps (libraries the executable links) and named by the package itself.
EXPECTED_DEPENDS = ("libmpv2", "libarchive13", "libqt6widgets6", "libqt6svg6",
                    "libqt6openglwidgets6", "fonts-ipafont-gothic", "timgm6mb-soundfont",
                    "qt6-translations-l10n")

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, text=True, **kwargs)


def files_under(root):
    return {str(p.relative_to(root)) for p in root.rglob("*") if not p.is_dir()}


def check_installed_tree(build, root, version):
    env = dict(os.environ, DESTDIR=str(root))
    result = run(["cmake", "--install", str(build), "--prefix", "/usr"], env=env)
    if not check(result.returncode == 0, f"cmake --install failed:\n{result.stderr}"):
        return
    installed = files_under(root)
    check(installed == EXPECTED_FILES,
          f"installed files differ: missing {sorted(EXPECTED_FILES - installed)}, "
          f"extra {sorted(installed - EXPECTED_FILES)}")

    apps = root / "usr/share/applications"
    for desktop in sorted(apps.glob("*.desktop")):
        result = run(["desktop-file-validate", str(desktop)])
        problems = [l for l in result.stdout.splitlines() if "error:" in l or "warning:" in l]
        check(result.returncode == 0 and not problems,
              f"desktop-file-validate {desktop.name}:\n{result.stdout}{result.stderr}")
    main = (apps / f"{APP_ID}.desktop").read_text(encoding="utf-8")
    check("\nName=Quorvane\n" in main and re.search(r"^Exec=quorvane %[FU]$", main, re.M)
          and "\nComment[ja]=" in main and "\nIcon=quorvane\n" in main,
          "main menu entry lacks its name, comments, icon or an Exec that takes files")
    extract = (apps / f"{APP_ID}.ExtractHere.desktop").read_text(encoding="utf-8")
    check("\nNoDisplay=true\n" in extract and "ここに展開" in extract
          and "\nExec=quorvane --extract-here %F\n" in extract,
          "the extract-here entry is not hidden, not named ここに展開 or runs something else")

    metainfo = root / f"usr/share/metainfo/{APP_ID}.metainfo.xml"
    result = run(["appstreamcli", "validate", "--no-net", str(metainfo)])
    check(result.returncode == 0, f"appstreamcli validate:\n{result.stdout}{result.stderr}")
    result = run(["appstreamcli", "validate-tree", "--no-net", str(root)])
    check(result.returncode == 0, f"appstreamcli validate-tree:\n{result.stdout}{result.stderr}")
    text = metainfo.read_text(encoding="utf-8")
    releases = re.findall(r'<release version="([^"]+)"', text)
    check(releases[:1] == [version], f"newest metainfo release {releases[:1]} is not {version}")
    check("docs/screenshot.png" in text and "<content_rating" in text,
          "metainfo lacks the screenshot or the content rating")

    page = root / "usr/share/man/man1/quorvane.1"
    check(f'"Quorvane {version}"' in page.read_text(encoding="utf-8"),
          f"the manual page is not of version {version}")
    result = run(["man", "-l", "-Tutf8", str(page)], env=dict(os.environ, MANWIDTH="80"))
    shown = re.sub(r".\x08", "", result.stdout)  # overstrike bold and underline
    check(result.returncode == 0 and not result.stderr.strip(),
          f"man -l failed or warned:\n{result.stderr}")
    for words in ("--extract-here", "quorvane.ini", "$XDG_CONFIG_HOME/quorvane/quorvane.ini",
                  "--help", "--version"):
        check(words in shown, f"the manual page does not show {words!r}")


def check_command_line(root, version):
    # Answered on the terminal, with no display at all.
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env["QT_QPA_PLATFORM"] = "xcb"
    exe = str(root / "usr/bin/quorvane")
    result = run([exe, "--help"], env=env, timeout=30)
    check(result.returncode == 0 and "使い方: quorvane" in result.stdout
          and "--extract-here" in result.stdout and "quorvane.ini" in result.stdout,
          f"--help: exit {result.returncode}\n{result.stdout}{result.stderr}")
    result = run([exe, "--version"], env=env, timeout=30)
    check(result.returncode == 0 and result.stdout.startswith(f"Quorvane Ver{version}\n"),
          f"--version: exit {result.returncode}\n{result.stdout}{result.stderr}")
    result = run([exe, "--no-such-option"], env=env, timeout=30)
    check(result.returncode == 2 and "--no-such-option" in result.stderr
          and not result.stdout, f"unknown option: exit {result.returncode}\n{result.stderr}")


def check_package(build, out, version):
    result = run(["cpack", "-G", "DEB", "--config", str(build / "CPackConfig.cmake"),
                  "-B", str(out)], timeout=600)
    if not check(result.returncode == 0, f"cpack failed:\n{result.stdout}{result.stderr}"):
        return
    arch = run(["dpkg", "--print-architecture"]).stdout.strip()
    deb = out / f"quorvane_{version}_{arch}.deb"
    if not check(deb.is_file(), f"no {deb.name} among {[p.name for p in out.glob('*.deb')]}"):
        return

    info = run(["dpkg-deb", "-I", str(deb)]).stdout
    fields = dict(re.findall(r"^ (\w[\w-]*): (.*)$", info, re.M))
    check(fields.get("Package") == "quorvane" and fields.get("Version") == version,
          f"package fields:\n{info}")
    depends = {d.strip().split()[0] for d in fields.get("Depends", "").split(",") if d.strip()}
    missing = [d for d in EXPECTED_DEPENDS if d not in depends]
    check(not missing, f"Depends lacks {missing}: {fields.get('Depends')}")

    listing = run(["dpkg-deb", "-c", str(deb)]).stdout.splitlines()
    packaged = {line.split()[-1].removeprefix("./") for line in listing if not line.startswith("d")}
    check(packaged == EXPECTED_FILES,
          f"packaged files differ: missing {sorted(EXPECTED_FILES - packaged)}, "
          f"extra {sorted(packaged - EXPECTED_FILES)}")


def main():
    build, version = Path(sys.argv[1]).resolve(), sys.argv[2]
    with tempfile.TemporaryDirectory(prefix="quorvane-install-") as work:
        root = Path(work) / "root"
        check_installed_tree(build, root, version)
        if (root / "usr/bin/quorvane").is_file():
            check_command_line(root, version)
        check_package(build, Path(work) / "package", version)
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
