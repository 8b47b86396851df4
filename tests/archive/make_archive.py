#!/usr/bin/env python3
"""Writes the test archives that the usual tools cannot: ZIP entries with raw name bytes (CP932
with the UTF-8 flag clear, or any bytes), links and special files, and LZH level-0 entries.

usage: make_archive.py zip|lzh OUT ENTRIES.json
ENTRIES: a list of {"name": hex bytes, "data": hex bytes, "zeros": n, "utf8": bool,
                    "kind": "file"|"symlink"|"fifo" (ZIP), "mode": unix mode (LZH), "badcrc": bool,
                    "method": "lh0" (stored, the default), "lz4", "pm0" (stored), "lzs", "lz5"
                    (literals only) (LZH)}
"""
import json
import struct
import sys
import zipfile


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
    with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as archive:
        for item in items:
            info = RawInfo(bytes.fromhex(item["name"]), item.get("utf8", False))
            info.create_system = 3
            info.external_attr = kinds[item.get("kind", "file")] << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, payload(item))


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


PACKERS = {"lh0": bytes, "lz4": bytes, "pm0": bytes, "lzs": literals_lzs, "lz5": literals_lz5}


def write_lzh(out, items):
    blob = b""
    for item in items:
        name = bytes.fromhex(item["name"])
        data = payload(item)
        crc = crc16(data) ^ (0x5555 if item.get("badcrc") else 0)
        method = item.get("method", "lh0")
        packed = PACKERS[method](data)
        body = (b"-" + method.encode() + b"-"
                + struct.pack("<IIIBB", len(packed), len(data), 0x5A34232C, 0x20, 0)
                + bytes([len(name)]) + name + struct.pack("<H", crc))
        if "mode" in item:  # the UNIX extension of level 0: time, mode, uid, gid
            body += b"U\0" + struct.pack("<IHHH", 0x5F000000, item["mode"], 0, 0)
        blob += bytes([len(body), sum(body) & 0xFF]) + body + packed
    with open(out, "wb") as f:
        f.write(blob + b"\0")


if __name__ == "__main__":
    kind, out, entries_file = sys.argv[1:4]
    with open(entries_file) as f:
        items = json.load(f)
    (write_zip if kind == "zip" else write_lzh)(out, items)
