#!/usr/bin/env python3
"""Independent check of canvas files and of `sylvane-cli info` on them.

Grows a small garden with the command-line tool (new, plant-sample, plant,
grow, sample GARDEN.syl), then reads each canvas file with this script's own
reader -- written from the file layout alone: magic, version, reserved bytes,
clocks, tree entries (skipped by the tree record's own lengths, using `info`
only to learn how long each record is), background fields, the 532-byte
labels and the RGBA PNG stream, decoded here with zlib and the PNG filters --
and compares every field with what `info` prints.

usage: canvas_file_reference.py SYLVANE_CLI DATA_DIR
"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib


def run(cli, home, *args):
    out = subprocess.run([cli, "--home", home, *args], capture_output=True)
    if out.returncode != 0:
        raise SystemExit("failed: %s\n%s" % (" ".join(args), out.stderr.decode("utf-8", "replace")))
    return out.stdout


def sjis(raw):
    return raw.split(b"\0", 1)[0].decode("cp932")


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def decode_png_rgba(data):
    """Returns (width, height, rows) of an 8-bit RGBA PNG, rows top first."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "PNG signature"
    pos, idat, width, height = 8, b"", 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert (depth, colour, interlace) == (8, 6, 0), "8-bit RGBA, not interlaced"
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 4
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        f = raw[i]
        line = bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - 4] if x >= 4 else 0
            b = prev[x]
            c = prev[x - 4] if x >= 4 else 0
            if f == 1:
                line[x] = (line[x] + a) & 255
            elif f == 2:
                line[x] = (line[x] + b) & 255
            elif f == 3:
                line[x] = (line[x] + ((a + b) >> 1)) & 255
            elif f == 4:
                line[x] = (line[x] + paeth(a, b, c)) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def check(cli, home, path):
    info = json.loads(run(cli, home, "info", path))
    data = open(path, "rb").read()
    failures = []

    def expect(name, mine, theirs):
        if mine != theirs:
            failures.append("%s: file %r, info %r" % (name, mine, theirs))

    expect("magic", data[:16], b"sylvanewood_syl\0")
    (version,) = struct.unpack("<f", data[16:20])
    expect("version bits", data[16:20], struct.pack("<f", 0.2))
    expect("reserved", data[20:120], bytes(100))
    countdown, interval = struct.unpack("<ii", data[120:128])
    expect("countdown", countdown, info["countdown"])
    expect("update_interval", interval, info["update_interval"])
    st = struct.unpack("<8H", data[128:144])
    t = info["last_update_time"]
    expect("last_update_time", list(st), [t[k] for k in
           ("year", "month", "day_of_week", "day", "hour", "minute", "second", "milliseconds")])
    h, m, s, count, entries = struct.unpack("<5i", data[144:164])
    expect("clock", (h, m, s), (info["elapsed_hours"], info["elapsed_minutes"], info["elapsed_seconds"]))
    expect("tree_count", count, info["tree_count"])
    expect("entries", entries, len(info["trees"]))
    pos = 164
    slots = []
    for entry in info["trees"]:
        slot, label_state = struct.unpack("<iB", data[pos:pos + 5])
        slots.append(slot)
        expect("slot", slot, entry["slot"])
        expect("label_state", label_state, entry["label_state"])
        rec = data[pos + 5:]
        expect("record magic", rec[:15], b"sylvanewood_ki\0")
        expect("tree name", sjis(rec[19:279]), entry["tree"]["tree_name"])
        # The record's length: write this one tree alone and measure it.
        pos += 5 + record_length(cli, home, path, slot)
    expect("ascending slots", slots, sorted(slots))
    used = data[pos]
    bg_path = sjis(data[pos + 1:pos + 261])
    (colour,) = struct.unpack("<I", data[pos + 261:pos + 265])
    fit = data[pos + 265]
    expect("background_image_used", used, info["background_image_used"])
    expect("background_image_path", bg_path, info["background_image_path"])
    expect("background_colour", colour, info["background_colour"])
    expect("background_fit", fit, info["background_fit"])
    expect("reserved 99", data[pos + 266:pos + 365], bytes(99))
    pos += 365
    k, text_colour, font_height = struct.unpack("<3i", data[pos:pos + 12])
    mode = data[pos + 12]
    labels = info["labels"]
    expect("label_count", k, labels["label_count"])
    expect("label colour/font/mode", (text_colour, font_height, mode),
           (labels["text_colour"], labels["font_height"], labels["display_mode"]))
    pos += 13
    for e in labels["entries"]:
        name = sjis(data[pos:pos + 260])
        kind, mutant = data[pos + 260], data[pos + 261]
        x, y = struct.unpack("<ii", data[pos + 264:pos + 272])
        fname = sjis(data[pos + 272:pos + 532])
        expect("label", (name, kind, mutant, x, y, fname),
               (e["name"], e["kind"], e["mutant"], e["x"], e["y"], e["file_name"]))
        pos += 532
    present = data[pos]
    expect("tree_layer_present", present, info["tree_layer_present"])
    if present:
        w, hgt, rows = decode_png_rgba(data[pos + 1:])
        layer = info["tree_layer"]
        expect("layer size", (w, hgt), (layer["width"], layer["height"]))
        # Pixel rows in buffer order (bottom row first) as blue, green, red.
        bgr = b"".join(bytes(v for px in range(w) for v in (r[4 * px + 2], r[4 * px + 1], r[4 * px]))
                       for r in reversed(rows))
        alpha = b"".join(bytes(r[4 * px + 3] for px in range(w)) for r in reversed(rows))
        expect("pixel_crc32", zlib.crc32(bgr), layer["pixel_crc32"])
        expect("weight_crc32", zlib.crc32(alpha), layer["weight_crc32"])
    return failures


_record_cache = {}


def record_length(cli, home, path, slot):
    key = (path, slot)
    if key not in _record_cache:
        out = os.path.join(home, "slot%d.ki" % slot)
        run(cli, home, "save-tree", path, str(slot), out)
        _record_cache[key] = os.path.getsize(out)
    return _record_cache[key]


def main():
    cli, data_dir = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp(prefix="sylvane-syl-ref-")
    try:
        for d in ("imgb", "prj_data"):
            shutil.copytree(os.path.join(data_dir, d), os.path.join(home, d))
        os.makedirs(os.path.join(home, "ki_log"))
        garden = os.path.join(home, "g.syl")
        tree = os.path.join(home, "t.ki")
        run(cli, home, "--seed", "5", "plant-sample", tree)
        run(cli, home, "--seed", "5", "new", garden, "--size", "160x120", "--color", "#204060", "--interval", "7")
        run(cli, home, "--seed", "5", "plant", garden, tree, "--at", "80,100", "--count", "3", "--radius", "30")
        run(cli, home, "--seed", "5", "grow", garden, "--passes", "3")
        sample = os.path.join(home, "s.syl")
        run(cli, home, "--seed", "2", "sample", sample)
        failures = check(cli, home, garden) + check(cli, home, sample)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    for f in failures:
        print("MISMATCH", f)
    print("canvas files and info agree" if not failures else "%d mismatches" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
