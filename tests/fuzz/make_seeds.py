#!/usr/bin/env python3
"""Writes the small seed corpora of the fuzz targets into corpus/<target>/.
Run from anywhere; the seeds are committed, so this is only needed to change them."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def pack(entries, magic=b"VOXAPACK", version=1, count=None):
    out = magic + struct.pack("<ii", version, len(entries) if count is None else count) + bytes(16)
    for name, data in entries:
        out += bytes([len(name)]) + name.ljust(27, b"\0") + struct.pack("<i", len(data))
    return out + b"".join(d for _, d in entries)


put("pack", "empty", pack([]))
put("pack", "two", pack([(b"a.txt", b"abc"), (b"b.bin", b"12345")]))
put("pack", "zero_and_dup", pack([(b"e", b""), (b"d.txt", b"1"), (b"D.TXT", b"22")]))
put("pack", "bad_name", pack([(b"ok", b"x"), (b"../up", b"y")]))
put("pack", "short_data", pack([(b"a", b"abc")])[:-1])
put("pack", "version2", pack([], version=2))

def mesh(t, v, n, u, body=b"", magic=b"VOXAMESH"):
    return magic + struct.pack("<iiiiii", 1, 0, t, v, n, u) + body

tri = struct.pack("<9i", 0, 1, 2, 0, 0, 0, 0, 1, 2)
floats = lambda k: struct.pack("<%df" % k, *[float(i) / 4 for i in range(k)])
put("mesh", "header", mesh(0, 0, 0, 0))
put("mesh", "one_triangle", mesh(1, 3, 1, 0, tri + floats(9) + floats(3)))
put("mesh", "textured", mesh(1, 3, 1, 3, tri + floats(9) + floats(3) + floats(6)))
put("mesh", "bad_size", mesh(1, 3, 1, 0, tri))

for i, line in enumerate(["vtl3d.scr /s", "vtl3d.scr /c:123", "\"C:\\a b\\vtl3d.scr\" /p 4711",
                          "x -a -12", "x \"/\"s", "x /p 99999999999"]):
    put("runmode", "line%d" % i, line.encode())

def wave(channels, bits, frames, fmt_tag=1, extra=b""):
    data = bytes((i * 37) & 0xFF for i in range(frames * channels * bits // 8))
    fmt = struct.pack("<HHIIHH", fmt_tag, channels, 22050, 22050 * channels * bits // 8, channels * bits // 8, bits)
    body = b"WAVE" + extra + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body

put("wave", "mono16", wave(1, 16, 8))
put("wave", "stereo8_list", wave(2, 8, 5, extra=b"LIST\x03\x00\x00\x00abc\x00"))
put("wave", "float", wave(1, 32, 4, fmt_tag=3))


def bmp(width, height, bits, rows, palette=b"", compression=0, masks=b"", header=40):
    offset = 14 + header + len(masks) + len(palette)
    if header == 12:
        info = struct.pack("<IHHHH", 12, width, height & 0xFFFF, 1, bits)
    else:
        info = struct.pack("<IiiHHIIiiII", header, width, height, 1, bits, compression, len(rows), 0, 0,
                           len(palette) // 4, 0).ljust(header, b"\0")
    body = info + masks + palette + rows
    return b"BM" + struct.pack("<IHHI", 14 + len(body), 0, 0, offset) + body


put("bmp", "rgb24", bmp(2, 2, 24, bytes([255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0])))
put("bmp", "topdown8", bmp(3, -1, 8, bytes([0, 1, 2, 0]), palette=bytes([0, 0, 0, 0, 9, 8, 7, 0, 255, 255, 255, 0])))
put("bmp", "bits1", bmp(9, 1, 1, bytes([0xAA, 0x80, 0, 0]), palette=bytes([0, 0, 0, 0, 255, 255, 255, 0])))
put("bmp", "alpha32", bmp(1, 1, 32, bytes([1, 2, 3, 4]), compression=6,
                          masks=struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000)))
put("bmp", "rgb565", bmp(1, 1, 16, bytes([0xE0, 0x07, 0, 0]), compression=3,
                         masks=struct.pack("<III", 0xF800, 0x07E0, 0x1F)))
put("bmp", "core24", bmp(1, 1, 24, bytes([1, 2, 3, 0]), header=12))
