#!/usr/bin/env python3
"""Derives the bitmap-skin files of the default skin from its PNG image sets.

The default skin is a png skin (VERSION=3), but it also carries the BMP files a
bitmap skin uses, so that the same folder works with a lower VERSION. They are
cut from the same composites the program makes (state image over back image,
channel = (1 - a) * back + a * state, truncated), at the rectangles of
skin.txt, and written as 24-bit bottom-up BMP files.

    skin_images.py SKIN_FOLDER [--preview DIR]

--preview also writes every composite as a PNG (and a 3x enlargement) to DIR,
for looking at the skin without running the program.
"""
import struct
import sys
import zlib
from pathlib import Path

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class Picture:
    """Rows top-down of (r, g, b, a) tuples."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows


def read_png(path):
    data = Path(path).read_bytes()
    if data[:8] != PNG_SIGNATURE:
        raise ValueError(f"{path}: not a PNG file")
    pos = 8
    idat = b""
    width = height = None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or colour not in (2, 6) or interlace != 0:
                raise ValueError(f"{path}: expected 8-bit RGB or RGBA without interlace")
            channels = 4 if colour == 6 else 3
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    raw = zlib.decompress(idat)
    stride = width * channels
    rows = []
    previous = bytearray(stride)
    p = 0
    for _ in range(height):
        kind = raw[p]
        line = bytearray(raw[p + 1:p + 1 + stride])
        p += 1 + stride
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                estimate = left + up - corner
                pa, pb, pc = abs(estimate - left), abs(estimate - up), abs(estimate - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + pred) & 255
        previous = line
        if channels == 4:
            rows.append([tuple(line[j:j + 4]) for j in range(0, stride, 4)])
        else:
            rows.append([tuple(line[j:j + 3]) + (255,) for j in range(0, stride, 3)])
    return Picture(width, height, rows)


def write_png(path, picture, scale=1):
    raw = bytearray()
    for row in picture.rows:
        line = bytearray()
        for (r, g, b, _) in row:
            line += bytes((r, g, b)) * scale
        for _ in range(scale):
            raw += b"\x00" + line

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    header = struct.pack(">IIBBBBB", picture.width * scale, picture.height * scale, 8, 2, 0, 0, 0)
    Path(path).write_bytes(PNG_SIGNATURE + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
                           + chunk(b"IEND", b""))


def write_bmp(path, picture):
    stride = (picture.width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(picture.rows):  # bottom-up
        line = bytearray()
        for (r, g, b, _) in row:
            line += bytes((b, g, r))
        line += b"\x00" * (stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", len(pixels) + 54, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, picture.width, picture.height, 1, 24, 0, len(pixels), 0, 0, 0, 0)
    Path(path).write_bytes(header + info + pixels)


def composite(state, back):
    """state over back with the state's alpha, as the program composites."""
    rows = []
    for y in range(state.height):
        row = []
        for x in range(state.width):
            r, g, b, a = state.rows[y][x]
            under = back.rows[y][x] if y < back.height and x < back.width else (0, 0, 0, 255)
            t = a / 255.0
            row.append(tuple(max(0, min(255, int((1.0 - t) * u + t * s))) for s, u in zip((r, g, b), under[:3]))
                       + (255,))
        rows.append(row)
    return Picture(state.width, state.height, rows)


def cut(picture, left, top, width, height):
    rows = []
    for y in range(top, top + height):
        row = []
        for x in range(left, left + width):
            inside = 0 <= y < picture.height and 0 <= x < picture.width
            row.append(picture.rows[y][x] if inside else (0, 0, 0, 255))
        rows.append(row)
    return Picture(width, height, rows)


def read_skin_txt(path):
    values = {}
    order = []
    for line in Path(path).read_text(encoding="ascii").splitlines():
        line = line.strip()
        if not line:
            continue
        key, value = line.split("=")
        order.append(key)
        values.setdefault(key, int(value))
    return values


def rect(values, name):
    return tuple(values[f"{name}_{s}"] for s in "LTWH")


# Bitmap-skin buttons: file stem and rectangle name in skin.txt.
MAIN_BUTTONS = [
    ("close", "CLOSE"), ("mini", "MINIMIZE"), ("new", "NEW_CANVAS"), ("plant", "PLANT_TREE"),
    ("save", "SAVE"), ("load", "LOAD"), ("settei", "SETTEI"), ("menu0", "MENU0"),
]


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    skin = Path(argv[1])
    preview = Path(argv[argv.index("--preview") + 1]) if "--preview" in argv else None
    values = read_skin_txt(skin / "skin.txt")
    sets = {}
    for prefix in ("ctrl", "map", "changer", "canvas_wnd"):
        back = read_png(skin / f"{prefix}_back.png")
        states = [read_png(skin / f"{prefix}_{s}.png") for s in ("normal", "over", "down")]
        sets[prefix] = [composite(s, back) for s in states]
        if preview:
            preview.mkdir(parents=True, exist_ok=True)
            for name, pic in zip(("normal", "over", "down"), sets[prefix]):
                write_png(preview / f"{prefix}_{name}.png", pic)
                write_png(preview / f"{prefix}_{name}_x3.png", pic, 3)
    normal, over, down = sets["ctrl"]
    write_bmp(skin / "back.bmp", normal)
    for stem, name in MAIN_BUTTONS:
        r = rect(values, name)
        for suffix, pic in (("n", normal), ("o", over), ("d", down)):
            write_bmp(skin / f"{stem}_{suffix}.bmp", cut(pic, *r))
    write_bmp(skin / "timer.bmp", cut(normal, *rect(values, "TIMER")))
    write_bmp(skin / "ki_num.bmp", cut(normal, *rect(values, "GROWING_KI_NUM")))
    map_normal, map_over, map_down = sets["map"]
    write_bmp(skin / "map_view.bmp", map_normal)
    r = rect(values, "MAP_CANCEL")
    for suffix, pic in (("n", map_normal), ("o", map_over), ("d", map_down)):
        write_bmp(skin / f"map_cancel_{suffix}.bmp", cut(pic, *r))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
