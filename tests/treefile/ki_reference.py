#!/usr/bin/env python3
"""Independent check of tree files written by sylvane-cli.

Writes the sample tree with `plant-sample`, then parses the file here byte by
byte (record layout and the Huffman block coding implemented from the format
description, not from the C++ code), and compares:
  - every field with what `info` reports;
  - the decoded part pictures with the PNG files they were loaded from
    (decoded here with zlib: 8-bit RGBA, non-interlaced);
  - the CRC-32 values of `info`.
Then writes a settings file of version 1.39 here and checks `info` on it.
usage: ki_reference.py SYLVANE_CLI DATA_FOLDER
"""
import json
import os
import struct
import subprocess
import sys
import tempfile
import zlib


def fail(msg):
    print("FAIL:", msg)
    sys.exit(1)


class Reader:
    def __init__(self, data):
        self.d, self.p = data, 0

    def take(self, n):
        if self.p + n > len(self.d):
            fail("record ends early at %d (+%d)" % (self.p, n))
        b = self.d[self.p:self.p + n]
        self.p += n
        return b

    def i32(self):
        return struct.unpack("<i", self.take(4))[0]

    def u8(self):
        return self.take(1)[0]

    def f32(self):
        return struct.unpack("<f", self.take(4))[0]

    def text(self):
        return self.take(260).split(b"\0")[0].decode("cp932")


def huffman_tree(counts):
    """The code tree: leaves 0..255, inner nodes from 257, two lightest first
    found scanning from 512 down to 0 (ties keep the first found)."""
    weight = [0] * 514
    weight[:256] = counts
    weight[513] = 2147483647
    child = {}
    nxt = 257
    while True:
        small, second, found = 513, 513, 0
        for i in range(512, -1, -1):
            if weight[i] <= 0:
                continue
            found += 1
            if weight[i] < weight[small]:
                second, small = small, i
            elif weight[i] < weight[second]:
                second = i
        if found < 2:
            return (small if found == 1 else None), child
        child[nxt] = (small, second)
        weight[nxt] = weight[small] + weight[second]
        weight[small] = weight[second] = 0
        nxt += 1


def huffman_block(r, bits, size):
    counts = [struct.unpack(">H", r.take(2))[0] for _ in range(256)]
    code = r.take(bits // 8 + 3)
    root, child = huffman_tree(counts)
    if root is None or root < 256:
        fail("a block we wrote must have a two-leaf tree")
    out = bytearray(size)
    n, node = 0, root
    for i in range(bits):
        bit = (code[i >> 3] >> (7 - (i & 7))) & 1
        node = child[node][bit]
        if node < 256:
            out[n] = node
            n += 1
            node = root
    if n != size:
        fail("block decoded to %d bytes, expected %d" % (n, size))
    for i in range(bits, (bits // 8 + 3) * 8):
        if (code[i >> 3] >> (7 - (i & 7))) & 1:
            fail("padding bits are not zero")
    return bytes(out)


def parse_part(r):
    if r.take(20) != bytes(20):
        fail("reserved bytes of a part image are not zero")
    part = {"parameters": [r.i32() for _ in range(12)]}
    w, h, b = r.i32(), r.i32(), r.i32()
    part.update(width=w, height=h, surface_code_bits=b)
    stride = (w * 3 + 3) & ~3
    pixels = huffman_block(r, b, h * stride) if w > 0 and h > 0 and b > 0 else b""
    length, a = r.i32(), r.i32()
    part.update(alpha_length=length, alpha_code_bits=a)
    alpha = huffman_block(r, a, length) if length > 0 and a > 0 else b""
    rows = b"".join(pixels[y * stride:y * stride + w * 3] for y in range(h)) if pixels else b""
    part["pixel_crc32"] = zlib.crc32(rows)
    part["alpha_crc32"] = zlib.crc32(alpha)
    return part, pixels, alpha


def parse_ki(data):
    r = Reader(data)
    j = {}
    magic = r.take(15)
    if magic[:14] != b"sylvanewood_ki":
        fail("magic")
    j["magic"] = magic[:14].decode()
    version = r.f32()
    if struct.pack("<f", version) != bytes.fromhex("cdcc4c3e"):
        fail("version bits")
    j["version"] = 0.2
    j["tree_name"] = r.text()
    j["file_name"] = r.text()
    if r.take(41) != bytes(41):
        fail("reserved 41")
    j["loop_chance"] = r.i32()
    j["mutant"] = r.u8()
    j["branch_jitter"] = r.i32()
    j["kind"] = r.i32()
    for k in ("growth_speed", "split_distance", "split_spread", "split_chance", "split_maximum",
              "mutation_chance", "part_jitter", "slot_state", "op_count", "plant_x", "plant_y"):
        j[k] = r.i32()
    j["part_present"] = list(r.take(4))
    j["cursor"] = r.i32()
    if r.take(100) != bytes(100):
        fail("reserved 100")
    j["ops"] = [[r.i32() for _ in range(10)] for _ in range(j["op_count"])]
    if r.take(20) != bytes(20):
        fail("reserved pen")
    pen = {}
    for k in ("mode", "heading", "step_count", "x", "y", "heading_variance", "red", "green", "blue",
              "stamp_interval", "stamp_countdown"):
        pen[k] = r.i32()
    if pen["mode"] == 1:
        pen["brush"] = {k: r.i32() for k in ("width", "height", "strength", "edge", "density", "type")}
    j["pen"] = pen
    parts, decoded = [], []
    for i in range(4 if pen["mode"] == 0 else 3):
        p, pixels, alpha = parse_part(r)
        parts.append(dict(part=i, **p))
        decoded.append((pixels, alpha))
    j["part_images"] = parts
    if r.p != len(data):
        fail("%d bytes after the record" % (len(data) - r.p))
    return j, decoded


def read_png_rgba(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("not a PNG: " + path)
    pos, idat = 8, b""
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            w, h, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour != 6 or interlace:
                fail("expected an 8-bit RGBA PNG: " + path)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw, rows, prev = zlib.decompress(idat), [], bytearray(w * 4)
    for y in range(h):
        f, line = raw[y * (w * 4 + 1)], bytearray(raw[y * (w * 4 + 1) + 1:(y + 1) * (w * 4 + 1)])
        for x in range(w * 4):
            a = line[x - 4] if x >= 4 else 0
            b = prev[x]
            c = prev[x - 4] if x >= 4 else 0
            if f == 1:
                line[x] = (line[x] + a) & 255
            elif f == 2:
                line[x] = (line[x] + b) & 255
            elif f == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[x] = (line[x] + pred) & 255
        rows.append(bytes(line))
        prev = line
    return w, h, rows


def check_tree(cli, data, tmp):
    out = os.path.join(tmp, "sample.ki")
    subprocess.run([cli, "--seed", "3", "--home", data, "plant-sample", out], check=True)
    mine, decoded = parse_ki(open(out, "rb").read())
    info = json.loads(subprocess.run([cli, "info", out], check=True, capture_output=True).stdout)
    if mine != info:
        for k in mine:
            if mine[k] != info.get(k):
                print("field", k, "mine", mine[k], "info", info.get(k))
        fail("info differs from the independent parse")
    if mine["tree_name"] != "エゾイチヤクソウ" or mine["op_count"] != 33:
        fail("not the sample tree")
    # The decoded pictures are the PNG files, as blue-green-red rows bottom-up.
    names = ["ezoichiyakusou_hana", "ezoichiyakusou_hana2", "ezoichiyakusou_happa"]
    for (pixels, alpha), name in zip(decoded, names):
        w, h, rows = read_png_rgba(os.path.join(data, "imgb", name + ".png"))
        stride = (w * 3 + 3) & ~3
        for y in range(h):
            src = rows[h - 1 - y]
            got = pixels[y * stride:y * stride + w * 3]
            want = bytes(v for x in range(w) for v in (src[4 * x + 2], src[4 * x + 1], src[4 * x]))
            if got != want:
                fail("%s: pixel row %d differs from the PNG" % (name, y))
            if alpha[y * w:(y + 1) * w] != bytes(src[4 * x + 3] for x in range(w)):
                fail("%s: alpha row %d differs from the PNG" % (name, y))
    print("tree file: %d fields and %d part images agree" % (len(mine), len(decoded)))


def check_settings(cli, tmp):
    path = os.path.join(tmp, "sylvane.ini")
    b = bytearray(b"sylvanewood_ini\0") + struct.pack("<f", 1.39)
    b += struct.pack("<9i", 11, 12, 640, 480, 0, 1, 2, 3, 15)
    b += struct.pack("<12i", 1, 2, 300, 301, 3, 4, 250, 410, 5, 6, 320, 330)
    b += bytes([2, 1])                      # mutant handling, saving at exit
    b += bytes([1, 0, 2, 1, 1, 5, 2])       # changer state .. canvas window option
    b += struct.pack("<i", 40) + bytes([2, 1]) + bytes([1, 0, 1, 0])
    b += struct.pack("<3i", 77, 1, 0) + bytes([1, 0, 2]) + struct.pack("<2i", 1, 200)
    b += bytes([1, 0]) + struct.pack("<3i", 9, 250, 3) + bytes([1])

    def path_field(text):
        raw = text.encode("cp932")
        return raw + bytes(260 - len(raw))
    b += path_field("chime.wav")
    folders = ["C:\\bg", "C:\\樹", "C:\\open", "C:\\skin", "C:\\syl", "C:\\syl2", "C:\\ki_log"]
    for f in folders:
        b += path_field(f)
    b += path_field("C:\\changer")
    b += struct.pack("<2i", 8, 2) + b"a.jpg\0\0\0" + b"b.png\0\0\0"
    open(path, "wb").write(b)
    j = json.loads(subprocess.run([cli, "info", path], check=True, capture_output=True).stdout)
    want = {"magic": "sylvanewood_ini", "version": 1.39, "main_window_x": 11, "canvas_width": 640,
            "update_interval": 15, "map_window_rectangle": {"x": 1, "y": 2, "width": 300, "height": 301},
            "mutant_handling": 2, "canvas_saving_at_exit": 1, "canvas_window_zoom_step": 5,
            "loop_irregularity": 40, "changer_display_option": 2, "mutant_file_count": 77,
            "tree_loop_enabled": 1, "wallpaper_style": 2, "window_opacity": 200, "scatter_count": 9,
            "lighting_mode": 3, "mutation_sound_on": 1, "sound_file": "chime.wav", "folders": folders,
            "changer_image_folder": "C:\\changer",
            "changer_image_list": {"row_length": 8, "row_count": 2, "rows": ["a.jpg", "b.png"]}}
    for k, v in want.items():
        if j.get(k) != v:
            fail("settings field %s: %r, expected %r" % (k, j.get(k), v))
    print("settings file: %d fields checked" % len(want))


def main():
    cli, data = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as tmp:
        check_tree(cli, data, tmp)
        check_settings(cli, tmp)
    print("ok")


if __name__ == "__main__":
    main()
