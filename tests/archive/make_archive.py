#!/usr/bin/env python3
"""Writes the test archives that the usual tools cannot: ZIP entries with raw name bytes (CP932
with the UTF-8 flag clear, or any bytes), links and special files, and LZH level-0 entries.

usage: make_archive.py zip|lzh OUT ENTRIES.json
ENTRIES: a list of {"name": hex bytes, "data": hex bytes, "zeros": n, "utf8": bool,
                    "dictionary": n (ZIP: an LZMA entry whose properties ask for n bytes),
                    "kind": "file"|"symlink"|"fifo" (ZIP), "mode": unix mode (LZH), "badcrc": bool,
                    "method": "lh0" (stored, the default), "lz4", "pm0" (stored), "lzs", "lz5"
                    (literals only), "lh1", "lh2", "lh3", "lh4", "pm1", "pm2", "lhd" (a folder)
                    (LZH), "size": the original size the header gives (LZH), "packed": hex bytes
                    given as the compressed data (LZH), "packer": "lhark"
                    (LHark's -lh7-, which is not jlha's) (LZH), "level" and the other fields of
                    lzh_header (LZH)}
"""
import json
import struct
import sys
import zipfile

import lha_encoders


class RawInfo(zipfile.ZipInfo):
    def __init__(self, raw, utf8):
        super().__init__("x")
        self.raw = raw
        self.utf8 = utf8

    def _encodeFilenameFlags(self):
        flags = self.flag_bits | 0x800 if self.utf8 else self.flag_bits & ~0x800
        return self.raw, flags


def payload(item):
    if "zeros" in item:
        return bytes(item["zeros"])
    return bytes.fromhex(item.get("data", ""))


def write_zip(out, items):
    kinds = {"file": 0o100644, "symlink": 0o120777, "fifo": 0o010644}
    dictionaries = []  # (local header offset, dictionary size) of LZMA entries
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
        for item in items:
            info = RawInfo(bytes.fromhex(item["name"]), item.get("utf8", False))
            info.create_system = 3
            info.external_attr = kinds[item.get("kind", "file")] << 16
            info.compress_type = zipfile.ZIP_LZMA if "dictionary" in item else zipfile.ZIP_DEFLATED
            archive.writestr(info, payload(item))
            if "dictionary" in item:
                dictionaries.append((info.header_offset, item["dictionary"]))
    # "dictionary": the size the LZMA properties give (the data itself needs far less).
    with open(out, "r+b") as f:
        for offset, size in dictionaries:
            f.seek(offset + 26)
            name_length, extra_length = struct.unpack("<HH", f.read(4))
            f.seek(offset + 30 + name_length + extra_length + 5)
            f.write(struct.pack("<I", size))


def crc16(data):
    crc = 0
    for byte in data:
        crc ^= byte
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def literals_lzs(data):
    """LArc's -lzs-: each byte as a 1 bit (a literal) and its 8 bits, most significant first."""
    bits = "".join("1" + format(byte, "08b") for byte in data)
    bits += "0" * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))


def literals_lz5(data):
    """LArc's -lz5-: a flag byte for every eight items (a set bit: a literal), then the items."""
    return b"".join(b"\xff" + data[i:i + 8] for i in range(0, len(data), 8))


PACKERS = {"lh0": bytes, "lz4": bytes, "pm0": bytes, "lzs": literals_lzs, "lz5": literals_lz5,
           "lh1": lha_encoders.lh1, "lh2": lha_encoders.lh2, "lh3": lha_encoders.lh3,
           "lh4": lha_encoders.lh4, "lhark": lha_encoders.lhark, "pm1": lha_encoders.pm1,
           "pm2": lha_encoders.pm2}


def ext_headers(item, size_width):
    """The extended headers of a level 1-3 header: (type, data) pairs, the name's first. At levels
    2 and 3 the header's CRC comes before them, as the LHA tools write it (zero here; see
    with_header_crc), unless "nocrc"."""
    headers = []
    if item.get("level", 0) >= 2 and not item.get("nocrc"):
        headers.append((0x00, b"\0\0"))
    if item.get("level", 0) >= 2 and item.get("name"):
        headers.append((0x01, bytes.fromhex(item["name"])))
    if "dir" in item:
        headers.append((0x02, bytes.fromhex(item["dir"])))
    if "utf16name" in item:
        headers.append((0x44, item["utf16name"].encode("utf-16-le")))
    if "utf16dir" in item:
        headers.append((0x45, item["utf16dir"].encode("utf-16-le").replace(b"/\0", b"\xff\xff")))
    for kind, data in item.get("ext", []):
        headers.append((kind, bytes.fromhex(data)))
    fmt = "<H" if size_width == 2 else "<I"
    sizes = [1 + len(data) + size_width for _, data in headers] + [0]
    blob = b"".join(bytes([kind]) + data + struct.pack(fmt, sizes[i + 1])
                    for i, (kind, data) in enumerate(headers))
    return struct.pack(fmt, sizes[0]), blob


def lzh_header(item, method, packed, data, crc):
    """One entry's header at level 0 (the default), 1, 2 or 3, with an OS byte ("os") and
    extended headers (a folder "dir" with 0xFF separators, UTF-16 names, "ext": [type, hex])."""
    level = item.get("level", 0)
    original = item.get("size", len(data))
    name = bytes.fromhex(item.get("name", ""))
    attr = item.get("attr", 0x20)
    os_id = item.get("os", "M").encode()
    method = b"-" + method.encode() + b"-"
    if level in (0, 1):
        time = item.get("time", 0x5A34232C)  # MS-DOS date and time
        first, exts = ext_headers(item, 2) if level == 1 else (b"", b"")
        body = (method + struct.pack("<IIIBB", len(packed) + len(exts), original, time, attr,
                                     level)
                + bytes([len(name)]) + name + struct.pack("<H", crc))
        if level == 1:
            body += os_id + first
        elif "mode" in item:  # the UNIX extension of level 0: time, mode, uid, gid
            body += b"U\0" + struct.pack("<IHHH", 0x5F000000, item["mode"], 0, 0)
        return bytes([len(body), sum(body) & 0xFF]) + body + exts
    time = item.get("time", 0x5F000000)  # Unix time
    if level == 2:
        first, exts = ext_headers(item, 2)
        rest = (method + struct.pack("<IIIBBH", len(packed), original, time, attr, level, crc)
                + os_id + first + exts)
        # OS-9/68k's LHA writes a length two bytes short.
        total = 2 + len(rest) - (2 if item.get("shorthead") else 0)
        return with_header_crc(item, struct.pack("<H", total) + rest, 2 + len(rest) - len(exts))
    first, exts = ext_headers(item, 4)
    head = (struct.pack("<H", 4) + method
            + struct.pack("<IIIBBH", len(packed), original, time, attr, level, crc) + os_id)
    header = head + struct.pack("<I", len(head) + 4 + len(first) + len(exts)) + first + exts
    return with_header_crc(item, header, len(header) - len(exts))


def with_header_crc(item, header, first_ext):
    """The header with the CRC of its bytes in its first extended header (type 0)."""
    if item.get("nocrc"):
        return header
    at = first_ext + 1
    return header[:at] + struct.pack("<H", crc16(header)) + header[at + 2:]


def write_lzh(out, items):
    blob = b""
    for item in items:
        data = payload(item)
        crc = crc16(data) ^ (0x5555 if item.get("badcrc") else 0)
        method = item.get("method", "lh0")
        if "packed" in item:
            packed = bytes.fromhex(item["packed"])
        else:
            packed = b"" if method == "lhd" else PACKERS[item.get("packer", method)](data)
        blob += lzh_header(item, method, packed, data, crc) + packed
    with open(out, "wb") as f:
        f.write(blob + b"\0")


if __name__ == "__main__":
    kind, out, entries_file = sys.argv[1:4]
    with open(entries_file) as f:
        items = json.load(f)
    (write_zip if kind == "zip" else write_lzh)(out, items)
