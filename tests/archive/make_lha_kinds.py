#!/usr/bin/env python3
"""Writes one small archive for each kind of LHA archive the extraction must read (header levels
0-3, the extended headers of other systems' tools, folders with a leading separator or a drive,
UTF-16 names, folders and empty files, the LArc and PMarc methods, lh1-lh4, LHark's lh7, pm1 and
pm2 from the encoders in lha_encoders.py, jlha's lh5-lh7) and ZIP names
with a leading separator, into OUT, with OUT/kinds.json: for each archive its name, the files it
must give (path: text), the folders and the times.

usage: make_lha_kinds.py OUT
Every archive keeps its entries under a folder of its own, so that all of them can be extracted
into one folder. The jlha archives are left out when jlha is missing.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_archive  # noqa: E402


def sjis(text):
    return text.encode("cp932").hex()


def entry(name, text, **fields):
    item = {"name": sjis(name), "data": text.encode().hex()}
    item.update(fields)
    return item


def folder(path, **fields):
    """A folder entry: its path in the folder header, 0xFF between the parts."""
    item = {"dir": path.encode("cp932").replace(b"/", b"\xff").hex(), "method": "lhd"}
    item.update(fields)
    return item


def compressible(tag, size):
    """Text with short and long repeats at near and far distances, `size` characters."""
    parts = []
    i = 0
    while sum(map(len, parts)) < size:
        parts.append("%s line %d: %s\n" % (tag, i * 7919 % 613, "=" * (i % 5 * 70)))
        parts.append("".join(chr(33 + (i * 31 + k * 17) % 94) for k in range(i % 23)))
        i += 1
    return "".join(parts)[:size]


def far_copies(size):
    """Letters with few repeats, then the same again with a "#" after every 40: copies from
    `size` characters back and more, their distances spread over many codes."""
    letters = "".join(chr(97 + (i * i * 7919 + i * 104729) % 9973 % 26) for i in range(size))
    return letters + "".join(letters[i:i + 40] + "#" for i in range(0, size, 40))


def unix_headers():
    """Unix LHA's extended headers: mode, group and user ids, names, time."""
    return [[0x50, "a481"], [0x51, "e803e803"], [0x52, b"staff".hex()], [0x53, b"user".hex()],
            [0x54, "0000005f"]]


# name: (entries, files it gives, folders, times)
LZH = {
    # Amiga LhA: level 1 with protection bits in the attribute, a comment header.
    "amiga-l1.lha": [
        entry("Readme", "amiga level 1\n", level=1, os="A", attr=0x00,
              dir=b"amiga1\xff".hex(), ext=[[0x3F, b"a comment".hex()]]),
        entry("Data", "amiga data\n", level=1, os="A", attr=0x0F, dir=b"amiga1\xff".hex(),
              method="lz5"),
    ],
    # MorphOS and Amiga tools at level 2, with headers of their own.
    "amiga-l2.lha": [
        entry("Notes.txt", "amiga level 2\n", level=2, os="A", attr=0x02,
              dir=b"amiga2\xff".hex(), ext=[[0x71, "0102030405"], [0x3F, b"c".hex()]]),
    ],
    # OS-9/68k LHA: level 2 with a header length two bytes short, its permissions as Unix ones;
    # after an ordinary entry, so that the reading changes hands in the middle.
    "os9-68k.lzh": [
        entry("first.txt", "ordinary\n", level=2, dir=b"os9k\xff".hex()),
        entry("os9file", "os-9/68k\n", level=2, os="K", shorthead=True,
              dir=b"os9k\xff".hex(), ext=[[0x50, "3f00"]]),
        entry("second", "after the short header\n", level=2, os="K", shorthead=True,
              dir=b"os9k\xff".hex(), ext=[[0x50, "3f00"]]),
    ],
    # OS-9 LHA at level 1 with an OS-9 header.
    "os9-l1.lzh": [
        entry("os9.txt", "os-9 level 1\n", level=1, os="9", dir=b"os9\xff".hex(),
              ext=[[0xCC, "00130000c316000f00cc1807090301160013"]]),
    ],
    # OS/2 LHA: upper-case names, the OS/2 attribute headers.
    "os2.lzh": [
        entry("README.TXT", "os/2\n", level=2, os="2", dir=b"OS2\xff".hex(),
              ext=[[0x40, "2000"], [0x7F, "20000000000000000000005f0000005f"]]),
    ],
    # A Mac tool: a header of its own.
    "mac.lzh": [
        entry("Mac File", "mac\n", level=2, os="m", dir=b"mac\xff".hex(),
              ext=[[0x7E, b"TEXTttxt".hex()]]),
    ],
    # Unix LHA at level 1 and level 3 (32-bit header sizes).
    "unix.lzh": [
        entry("unix1.txt", "unix level 1\n", level=1, os="U", dir=b"unix\xff".hex(),
              ext=unix_headers()),
        entry("deep.txt", "unix level 3\n", level=3, os="U", dir=b"unix\xffl3\xff".hex(),
              ext=unix_headers(), time=0x5F000000),
    ],
    # A Windows tool that stores the folder with a leading separator, Windows times.
    "windows-separator.lzh": [
        entry("hello.txt", "leading separator\n", level=2, os="W",
              dir=b"\xffwinsep\xffsub\xff".hex(), ext=[[0x41, "00" * 24]]),
    ],
    # MS-DOS: a level-0 name with a drive; upper case as stored.
    "dos-drive.lzh": [entry("C:\\DOSDRV\\README.TXT", "drive\n")],
    # UTF-16 names (with a CP932 name beside them for older readers).
    "utf16.lzh": [
        {"name": b"utf16.txt".hex(), "data": b"utf-16\n".hex(), "level": 2, "os": "W",
         "utf16dir": "utf16/", "utf16name": "ユニコード名.txt"},
    ],
    # Folders (also an empty one), empty files, a CP932 name, a time.
    "folders.lzh": [
        folder("dirs/", level=2),
        folder("dirs/empty/", level=1),
        entry("empty.txt", "", level=2, dir=b"dirs\xff".hex()),
        entry("空.txt", "", level=0, method="lh0"),
        entry("時刻.txt", "time\n", level=2, dir=b"dirs\xff".hex(), time=0x40000000),
    ],
    # Names with control characters: written and shown with "_" in their place.
    "control.lzh": [
        entry("bell\x07.txt", "bell\n", level=2, dir=b"ctrl\xff".hex()),
        entry("esc\x1b[31m.txt", "esc\n", level=2, dir=b"ctrl\xff".hex()),
        entry("line\nbreak.txt", "newline\n", level=2, dir=b"ctrl\xff".hex()),
    ],
    # LArc and PMarc methods, named as their tools name them.
    "larc.lzs": [
        entry("larc\\s.txt", "lzs " * 20, method="lzs"),
        entry("larc\\5.txt", "lz5 " * 20, method="lz5"),
        entry("larc\\4.txt", "lz4\n", method="lz4"),
    ],
    "pmarc.pma": [entry("pmarc\\p.txt", "pm0\n", method="pm0")],
    # LHarc's lh1 (a Mac tool at level 1 among them), past its 4 KiB dictionary.
    "lh1.lzh": [
        entry("lh1\\dos.txt", compressible("lh1", 9000), method="lh1"),
        entry("mac.txt", compressible("mac", 300), method="lh1", level=1, os="m",
              dir=b"lh1\xff".hex()),
        entry("lh1\\empty.txt", "", method="lh1"),
    ],
    # LHarc's lh2 (adaptive codes) and lh3 (static codes), past their 8 KiB dictionary and their
    # 8,128 bytes after which every distance has a code; lh3 with the fixed distance table, a
    # table of its own (far copies) and tables of one code (one byte).
    "lh2.lzh": [
        entry("lh2\\text.txt", compressible("lh2", 20000), method="lh2"),
        entry("short.txt", "lh2\n", method="lh2", level=2, dir=b"lh2\xff".hex()),
    ],
    "lh3.lzh": [
        entry("text.txt", compressible("lh3", 20000), method="lh3", level=1,
              dir=b"lh3\xff".hex()),
        entry("lh3\\one.txt", "x", method="lh3"),
        entry("lh3\\far.txt", far_copies(6000), method="lh3"),
    ],
    # PMarc's pm1 (copies from up to 2,624 bytes back) and pm2 (up to 1,023 bytes here).
    "pm1.pma": [entry("pm1\\text.txt", compressible("pm1", 3000), method="pm1"),
                entry("pm1\\short.txt", "pm1\n", method="pm1")],
    "pm2.pma": [entry("pm2\\text.txt", compressible("pm2", 1000), method="pm2"),
                entry("pm2\\short.txt", "pm2\n", method="pm2")],
    # LHA's lh4: the lh5 format with a 4 KiB dictionary.
    "lh4.lzh": [
        entry("lh4.txt", compressible("lh4", 9000), method="lh4", level=1,
              dir=b"lh4\xff".hex()),
        entry("one.txt", "x", method="lh4", level=2, dir=b"lh4\xff".hex()),
    ],
    # LHark's lh7: its own copy lengths and distances, told apart by its level-1 OS byte " ".
    "lhark.lzh": [
        entry("lhark.txt", compressible("lhark", 20000), method="lh7", packer="lhark",
              level=1, os=" ", dir=b"lhark\xff".hex()),
        entry("short.txt", "lhark\n", method="lh7", packer="lhark", level=1, os=" ",
              dir=b"lhark\xff".hex()),
    ],
}

EXPECTED = {
    "amiga-l1.lha": {"amiga1/Readme": "amiga level 1\n", "amiga1/Data": "amiga data\n"},
    "amiga-l2.lha": {"amiga2/Notes.txt": "amiga level 2\n"},
    "os9-68k.lzh": {"os9k/first.txt": "ordinary\n", "os9k/os9file": "os-9/68k\n",
                    "os9k/second": "after the short header\n"},
    "os9-l1.lzh": {"os9/os9.txt": "os-9 level 1\n"},
    "os2.lzh": {"OS2/README.TXT": "os/2\n"},
    "mac.lzh": {"mac/Mac File": "mac\n"},
    "unix.lzh": {"unix/unix1.txt": "unix level 1\n", "unix/l3/deep.txt": "unix level 3\n"},
    "windows-separator.lzh": {"winsep/sub/hello.txt": "leading separator\n"},
    "dos-drive.lzh": {"DOSDRV/README.TXT": "drive\n"},
    "utf16.lzh": {"utf16/ユニコード名.txt": "utf-16\n"},
    "folders.lzh": {"dirs/empty.txt": "", "空.txt": "", "dirs/時刻.txt": "time\n"},
    "control.lzh": {"ctrl/bell_.txt": "bell\n", "ctrl/esc_[31m.txt": "esc\n",
                    "ctrl/line_break.txt": "newline\n"},
    "larc.lzs": {"larc/s.txt": "lzs " * 20, "larc/5.txt": "lz5 " * 20, "larc/4.txt": "lz4\n"},
    "pmarc.pma": {"pmarc/p.txt": "pm0\n"},
    "lh1.lzh": {"lh1/dos.txt": compressible("lh1", 9000), "lh1/mac.txt": compressible("mac", 300),
                "lh1/empty.txt": ""},
    "lh2.lzh": {"lh2/text.txt": compressible("lh2", 20000), "lh2/short.txt": "lh2\n"},
    "lh3.lzh": {"lh3/text.txt": compressible("lh3", 20000), "lh3/one.txt": "x",
                "lh3/far.txt": far_copies(6000)},
    "pm1.pma": {"pm1/text.txt": compressible("pm1", 3000), "pm1/short.txt": "pm1\n"},
    "pm2.pma": {"pm2/text.txt": compressible("pm2", 1000), "pm2/short.txt": "pm2\n"},
    "lh4.lzh": {"lh4/lh4.txt": compressible("lh4", 9000), "lh4/one.txt": "x"},
    "lhark.lzh": {"lhark/lhark.txt": compressible("lhark", 20000), "lhark/short.txt": "lhark\n"},
    "separators.zip": {"zipabs/a.txt": "absolute\n", "zipdrive/b.txt": "drive\n"},
}
FOLDERS = {"folders.lzh": ["dirs", "dirs/empty"]}
TIMES = {"unix.lzh": {"unix/l3/deep.txt": 0x5F000000},
         "folders.lzh": {"dirs/時刻.txt": 0x40000000}}


def jlha_kinds(out, kinds):
    """lh5 at level 0, lh6 at level 1, lh7 at level 2, from jlha."""
    if shutil.which("jlha") is None:
        return
    for method, level in (("5", "0"), ("6", "1"), ("7", "2")):
        name = "jlha-lh%s.lzh" % method
        top = "jlha%s" % method
        with tempfile.TemporaryDirectory() as source:
            os.makedirs(os.path.join(source, top, "in"))
            text = "".join("line %d of lh%s\n" % (i * 7919 % 1000, method) for i in range(3000))
            with open(os.path.join(source, top, "in", "text.txt"), "w") as f:
                f.write(text)
            subprocess.run(["jlha", "c" + level + "o" + method + "q",
                            os.path.join(out, name), top + "/in/text.txt"],
                           cwd=source, check=True, stdout=subprocess.DEVNULL)
        kinds.append({"archive": name, "files": {top + "/in/text.txt": text},
                      "folders": [], "times": {}})


def main():
    out = os.path.abspath(sys.argv[1])
    os.makedirs(out, exist_ok=True)
    kinds = []
    for name, items in LZH.items():
        make_archive.write_lzh(os.path.join(out, name), items)
    make_archive.write_zip(os.path.join(out, "separators.zip"),
                           [{"name": b"/zipabs/a.txt".hex(), "data": b"absolute\n".hex()},
                            {"name": b"C:\\zipdrive\\b.txt".hex(), "data": b"drive\n".hex()}])
    for name, files in EXPECTED.items():
        kinds.append({"archive": name, "files": files, "folders": FOLDERS.get(name, []),
                      "times": TIMES.get(name, {})})
    jlha_kinds(out, kinds)
    with open(os.path.join(out, "kinds.json"), "w", encoding="utf-8") as f:
        json.dump(kinds, f, ensure_ascii=False)


if __name__ == "__main__":
    main()
