#!/usr/bin/env python3
"""A second, plain implementation of the 33 lighting renderers, used to check
the program's lit pictures byte for byte.

It writes small canvas layers of its own (a 24-bit BMP background and an RGBA
PNG whose colour is the tree layer and whose alpha is the background weight),
runs `sylvane-cli --seed S render --layers BG TREES OUT.bmp --renderer R` and
compares the BMP it writes with the picture computed here. Distances and spot
values use Python floats (IEEE doubles, as the program); the combining
formulas use exact integer arithmetic.

usage: lighting_reference.py PATH_TO_SYLVANE_CLI [WORK_FOLDER]
"""
import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib


class Generator:
    """state <- state * 214013 + 2531011 (mod 2**32); draw = bits 16..30."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def rand(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF


def spot_at(x, yb, px, py, r, k):
    dx = float(x - px)
    dy = float(yb - py)
    d = int(math.sqrt(dx * dx + dy * dy))
    return int(r / math.sqrt(float(d * d + r * r)) * k)


def clamp(v):
    return 255 if v > 255 else v


# ---------------------------------------------------------------- layers

def make_layers(w, h, salt):
    """Background (b, g, r), tree (b, g, r) and weight per (x, yb)."""
    bg, tr, wt = {}, {}, {}
    for yb in range(h):
        for x in range(w):
            n = (x * 7919 + yb * 104729 + salt * 1299709) & 0xFFFFFFFF
            n = (n * 2654435761) & 0xFFFFFFFF
            kind = (n >> 7) % 4
            m = 255 if kind == 0 else 0 if kind == 1 else (n >> 11) % 256
            bg[x, yb] = ((n >> 3) % 256, (n >> 9) % 256, (n >> 17) % 256)
            room = 255 - m
            tr[x, yb] = tuple(((n >> (4 + 5 * c)) % (room + 1)) if room else 0 for c in range(3))
            wt[x, yb] = m
    return bg, tr, wt


def write_bmp(path, w, h, pixels):
    stride = (w * 3 + 3) & ~3
    rows = []
    for yb in range(h):
        row = bytearray()
        for x in range(w):
            row += bytes(pixels[x, yb])
        row += b"\0" * (stride - w * 3)
        rows.append(bytes(row))
    body = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 0, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def write_rgba_png(path, w, h, tree, weight):
    raw = bytearray()
    for t in range(h):  # PNG rows run from the top
        yb = h - 1 - t
        raw.append(0)
        for x in range(w):
            b, g, r = tree[x, yb]
            raw += bytes((r, g, b, weight[x, yb]))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    w, h = struct.unpack_from("<ii", data, 18)
    offset = struct.unpack_from("<I", data, 10)[0]
    stride = (w * 3 + 3) & ~3
    out = {}
    for yb in range(h):
        for x in range(w):
            i = offset + yb * stride + 3 * x
            out[x, yb] = tuple(data[i:i + 3])
    return w, h, out


# ---------------------------------------------------------------- renderers

FIVE = [((1, 10, 9, 10), (255, 0, 0)), ((9, 10, 9, 10), (0, 255, 0)), ((1, 10, 1, 10), (255, 255, 0)),
        ((9, 10, 1, 10), (255, 0, 255)), ((1, 2, 1, 2), (255, 255, 255))]
NINE_EXTRA = [((1, 2, 3, 4), (128, 0, 255)), ((1, 4, 1, 2), (0, 255, 255)), ((1, 2, 1, 4), (0, 0, 255)),
              ((3, 4, 1, 2), (255, 128, 0))]


def pos(frac, w, h):
    xn, xd, yn, yd = frac
    return xn * w // xd, yn * h // yd


def render(renderer, w, h, bg, tr, wt, gen):
    out = {}
    X = Y = 0
    cr = cg = cb = 0
    points = []
    if renderer == 10:
        X = gen.rand() % w
    elif renderer in (18, 19):
        X = gen.rand() % w
        Y = gen.rand() % h
        cr, cg, cb = gen.rand() % 256, gen.rand() % 256, gen.rand() % 256
    elif renderer == 23:
        cr, cg, cb = gen.rand() % 256, gen.rand() % 256, gen.rand() % 256
    elif renderer == 24:
        X = gen.rand() % w
        Y = gen.rand() % h
    elif renderer in (25, 26, 27):
        for _ in range(28 - renderer):
            px = gen.rand() % w
            py = gen.rand() % h
            points.append((px, py))

    # F2 light lists: ((x, y), r, k, (red, green, blue)); dims (red, green, blue)
    def five_lights(centre_k=200):
        lights = [(pos(f, w, h), 50, 200, c) for f, c in FIVE]
        lights[4] = (lights[4][0], 50, centre_k, lights[4][3])
        return lights

    dimmed = {
        1: ((0.4, 0.4, 1.0), [((7 * w // 8, 4 * h // 5), 265, 180, (180, 255, 150))]),
        2: ((0.7, 0.7, 1.0), [((7 * w // 8, 4 * h // 5), 500, 50, (200, 200, 150)),
                              ((w // 5, h // 10), 500, 200, (140, 200, 88))]),
        4: ((0.5, 0.5, 0.8), [((w // 10, h // 10), 50, 200, (206, 0, 108)),
                              ((9 * w // 10, h // 10), 80, 200, (203, 45, 255))]),
        5: ((0.4, 0.4, 0.8), []),
        6: ((0.2, 0.2, 0.6), five_lights(150) + [(pos(f, w, h), 50, 200, c) for f, c in NINE_EXTRA]),
        7: ((0.4, 0.4, 0.8), five_lights()),
        8: ((0.4, 0.4, 0.8), five_lights() + [(pos(f, w, h), 50, 200, c) for f, c in NINE_EXTRA]),
        10: ((0.2, 0.2, 0.5), [((w // 4, h // 5), 350, 200, (0, 0, 50)),
                               ((X, 4 * h // 5), 150, 200, (120, 200, 255))]),
        11: ((0.3, 0.3, 0.2), [((4 * w // 5, 4 * h // 5), 150, 200, (180, 180, 13)),
                               ((w // 5, h // 5), 200, 200, (241, 131, 21))]),
        12: ((0.4, 0.2, 0.9), [((w // 2, h // 2), 200, 150, (255, 128, 255))]),
        13: ((80 / 255, 80 / 255, 80 / 255), [((w // 10, h // 10), 150, 200, (0, 255, 0)),
                                             ((9 * w // 10, h // 10), 150, 200, (0, 255, 255)),
                                             ((w // 2, 7 * h // 10), 150, 200, (196, 42, 0))]),
    }
    inner = [(w // 4, h // 4), (3 * w // 4, h // 4), (w // 4, 3 * h // 4), (3 * w // 4, 3 * h // 4)]
    corners = [(w // 10, h // 10), (9 * w // 10, h // 10), (w // 10, 9 * h // 10), (9 * w // 10, 9 * h // 10)]

    for yb in range(h):
        for x in range(w):
            B = bg[x, yb]
            T = tr[x, yb]
            M = wt[x, yb]
            plain = [clamp(B[c] * M // 255 + T[c]) for c in range(3)]

            def gain_on_trees(g):  # g in buffer order (blue, green, red)
                return [clamp((B[c] * M + T[c] * g[c]) // 255) for c in range(3)]

            def whole(g):
                return [clamp(g * B[c] * M // 65025 + g * T[c] // 255) for c in range(3)]

            if renderer in dimmed:
                (fr, fg, fb), lights = dimmed[renderer]
                f = (fb, fg, fr)
                o = [int(T[c] * f[c]) + B[c] * M // 255 for c in range(3)]
                everywhere = renderer == 6
                if everywhere or M != 255:
                    for (lx, ly), r, k, (kr, kg, kb) in lights:
                        L = spot_at(x, yb, lx, ly, r, k)
                        for c, kc in enumerate((kb, kg, kr)):
                            if everywhere:
                                o[c] = clamp(o[c] + L * kc // 255)
                            else:
                                o[c] = clamp(o[c] + (255 - M) * L * kc // 65025)
                o = [clamp(v) for v in o]
            elif renderer in (3, 9):
                o = list(plain)
                if M != 255:
                    ch = 2 if renderer == 3 else 0
                    o[ch] = clamp(o[ch] + (255 - M) * spot_at(x, yb, w // 3, h // 2, 200, 200) // 255)
            elif renderer in (14, 15):
                g = spot_at(x, yb, w // 2, h // 10 if renderer == 14 else 9 * h // 10, 250, 400)
                o = gain_on_trees((g, g, g))
            elif renderer == 16:
                g = sum(spot_at(x, yb, px, py, 50, 255) for px, py in inner)
                o = gain_on_trees((g, g, g))
            elif renderer == 17:
                g1 = spot_at(x, yb, w // 4, h // 4, 80, 400)
                g2 = spot_at(x, yb, 3 * w // 4, h // 4, 80, 400)
                g3 = spot_at(x, yb, w // 2, 3 * h // 4, 80, 400)
                o = gain_on_trees((g2 + (g1 + g3) * 100 // 255, g3 + (g1 + g2) * 100 // 255,
                                   g1 + (g2 + g3) * 100 // 255))
            elif renderer == 18:
                if x % 16 <= 1 or yb % 64 <= 3:
                    o = [0, 0, 0]
                else:
                    a = spot_at(x, yb, 3 * w // 4, h // 4, 80, 300)
                    b = spot_at(x, yb, X, Y, 80, 300)
                    ww = spot_at(x, yb, w // 2, 3 * h // 4, 200, 300)
                    o = gain_on_trees((a + b + cb * ww // 255, a + b + cg * ww // 255, a + b + cr * ww // 255))
            elif renderer == 19:
                if x % 256 <= 8 or yb % 256 <= 8 or x % 128 <= 2 or yb % 128 <= 2:
                    o = [0, 0, 0]
                else:
                    r = spot_at(x, yb, X, Y, 80, 400)
                    a = spot_at(x, yb, 9 * w // 10, h // 4, 80, 400)
                    p = spot_at(x, yb, w // 3, h // 3, 80, 200)
                    q = spot_at(x, yb, 2 * w // 3, 2 * h // 3, 80, 200)
                    # trunc of a sum of fractions over 255, exactly
                    gb = (cb * r + 255 * (a + p) + 80 * q) // 255
                    gg = (cg * r + 255 * a + 100 * p + 150 * q) // 255
                    gr = (cr * r + 255 * (a + q) + 100 * p) // 255
                    o = gain_on_trees((gb, gg, gr))
            elif renderer == 20:
                g = sum(spot_at(x, yb, px, py, 60, 400) for px, py in corners)
                o = gain_on_trees((g, g, g))
            elif renderer == 21:
                g = spot_at(x, yb, w // 2, h // 2, 80, 400)
                o = gain_on_trees((g, g, g))
            elif renderer == 22:
                s = spot_at(x % 32, yb % 32, 16, 16, 8, 350)
                g = s * 256 // 255
                o = gain_on_trees((g, g, g))
            elif renderer == 23:
                s = spot_at(x % 128, yb % 128, 64, 64, 32, 400)
                o = gain_on_trees((cb * s // 255, cg * s // 255, cr * s // 255))
            elif renderer == 24:
                s = spot_at(x, yb, X, Y, 260, 400)
                nr = gen.rand() % 128 + 128
                ng = gen.rand() % 128 + 128
                nb = gen.rand() % 128 + 128
                o = gain_on_trees((nb * s // 255, ng * s // 255, nr * s // 255))
            elif renderer in (25, 26, 27):
                r, k = {25: (50, 400), 26: (60, 400), 27: (80, 500)}[renderer]
                g = sum(spot_at(x, yb, px, py, r, k) for px, py in points)
                o = gain_on_trees((g, g, g))
            elif renderer == 28:
                o = whole(spot_at(x, yb, w // 2, h // 2, 80, 400))
            elif renderer == 29:
                o = whole(spot_at(x, yb, w // 2, h // 10, 250, 400))
            elif renderer == 30:
                o = whole(spot_at(x, yb, w // 2, 9 * h // 10, 250, 400))
            elif renderer == 31:
                o = whole(sum(spot_at(x, yb, px, py, 50, 255) for px, py in inner))
            elif renderer == 32:
                o = whole(sum(spot_at(x, yb, px, py, 60, 400) for px, py in corners))
            else:
                o = plain
            out[x, yb] = tuple(o)
    return out


# ---------------------------------------------------------------- checks

def run(cli, args):
    result = subprocess.run([cli] + args, capture_output=True, text=True)
    if result.returncode != 0:
        raise SystemExit("sylvane-cli %s failed: %s" % (" ".join(args), result.stderr))
    return result.stdout


def check(cli, folder, w, h, salt, seed, renderers):
    bg, tr, wt = make_layers(w, h, salt)
    bg_path = os.path.join(folder, "bg_%d.bmp" % salt)
    tr_path = os.path.join(folder, "trees_%d.png" % salt)
    write_bmp(bg_path, w, h, bg)
    write_rgba_png(tr_path, w, h, tr, wt)
    failures = 0
    for renderer in renderers:
        out_path = os.path.join(folder, "out_%d_%d.bmp" % (salt, renderer))
        stdout = run(cli, ["--seed", str(seed), "render", "--layers", bg_path, tr_path, out_path,
                           "--renderer", str(renderer)])
        if stdout.strip() != "renderer %d" % renderer:
            print("renderer %d: unexpected report %r" % (renderer, stdout))
            failures += 1
        got_w, got_h, got = read_bmp(out_path)
        want = render(renderer, w, h, bg, tr, wt, Generator(seed))
        if (got_w, got_h) != (w, h):
            print("renderer %d: size %dx%d, want %dx%d" % (renderer, got_w, got_h, w, h))
            failures += 1
            continue
        bad = [(p, got[p], want[p]) for p in want if got[p] != want[p]]
        if bad:
            print("renderer %d on %dx%d: %d pixels differ, first %s" % (renderer, w, h, len(bad), bad[0]))
            failures += 1
    return failures


def check_modes(cli, folder):
    """Mode 1 follows --time; a mode names its renderer."""
    bg, tr, wt = make_layers(21, 13, 9)
    bg_path = os.path.join(folder, "bg_modes.bmp")
    tr_path = os.path.join(folder, "trees_modes.png")
    write_bmp(bg_path, 21, 13, bg)
    write_rgba_png(tr_path, 21, 13, tr, wt)
    failures = 0
    for clock, renderer in (("00:05", 6), ("00:10", 5), ("12:30", 8), ("10:59", 0), ("15:00", 0), ("06:59", 1),
                            ("18:00", 3), ("22:59", 4), ("23:00", 5), ("07:00", 2)):
        out_path = os.path.join(folder, "mode1.bmp")
        stdout = run(cli, ["render", "--layers", bg_path, tr_path, out_path, "--mode", "1", "--time", clock])
        if stdout.strip() != "renderer %d" % renderer:
            print("mode 1 at %s: %r, want renderer %d" % (clock, stdout.strip(), renderer))
            failures += 1
            continue
        if read_bmp(out_path)[2] != render(renderer, 21, 13, bg, tr, wt, Generator(0)):
            print("mode 1 at %s: the picture is not renderer %d's" % (clock, renderer))
            failures += 1
    for mode, renderer in ((0, 0), (2, 7), (11, 17), (15, 21), (27, 32)):
        stdout = run(cli, ["render", "--layers", bg_path, tr_path, os.path.join(folder, "m.bmp"), "--mode",
                           str(mode)])
        if stdout.strip() != "renderer %d" % renderer:
            print("mode %d: %r, want renderer %d" % (mode, stdout.strip(), renderer))
            failures += 1
    # Mode 22 draws rand() % 33 and then that renderer's own numbers.
    seed = 4242
    gen = Generator(seed)
    renderer = gen.rand() % 33
    out_path = os.path.join(folder, "mode22.bmp")
    stdout = run(cli, ["--seed", str(seed), "render", "--layers", bg_path, tr_path, out_path, "--mode", "22"])
    if stdout.strip() != "renderer %d" % renderer or read_bmp(out_path)[2] != render(renderer, 21, 13, bg, tr, wt,
                                                                                       gen):
        print("mode 22 with seed %d: %r, want renderer %d and its picture" % (seed, stdout.strip(), renderer))
        failures += 1
    return failures


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    cli = sys.argv[1]
    folder = sys.argv[2] if len(sys.argv) > 2 else tempfile.mkdtemp(prefix="lighting_reference_")
    os.makedirs(folder, exist_ok=True)
    everything = list(range(33))
    failures = check(cli, folder, 29, 19, 1, 77, everything)
    failures += check(cli, folder, 7, 5, 2, 3, everything)
    # Past one lattice and dot period, with the random renderers on other seeds.
    failures += check(cli, folder, 140, 131, 3, 12345, [0, 6, 8, 17, 18, 19, 22, 23, 24, 25, 31, 32])
    failures += check(cli, folder, 37, 23, 4, 2 ** 32 - 1, [10, 18, 19, 23, 24, 25, 26, 27])
    failures += check_modes(cli, folder)
    print("lighting reference: %s" % ("ok" if failures == 0 else "%d failures" % failures))
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
