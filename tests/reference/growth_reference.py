#!/usr/bin/env python3
"""A second, plain implementation of one growth pass of the built-in sample
tree on a tiny canvas, checked pixel for pixel against the tree layer and
weight plane that `sylvane-cli grow-sample --passes 1 --layers` writes.

It covers the pen's walk (Gaussian turns, sector moves, wrapping), brush
stamps (patterns from brush_reference.py), the firing of ops, and part sprite
drawing (shrink, mirror, rotation with mask-aware bilinear sampling, luma-hue
tint, blending). 32-bit float arithmetic is done through struct; sine,
cosine and exp follow the program's portable polynomials.

usage: growth_reference.py PATH_TO_SYLVANE_CLI DATA_FOLDER
"""
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import brush_reference as br  # noqa: E402

f32 = br.f32


def trunc(v):
    return int(math.trunc(v))


# ------------------------------------------------------------------ math
# Sine, cosine and exp from additions and multiplications only (the fdlibm
# polynomials), so that the program gets the same bits on every platform.


def _ksin(x):
    z = x * x
    v = z * x
    r = 8.33333333332248946124e-03 + z * (-1.98412698298579493134e-04 + z * (
        2.75573137070700676789e-06 + z * (-2.50507602534068634195e-08 + z * 1.58969099521155010221e-10)))
    return x + v * (-1.66666666666666324348e-01 + z * r)


def _kcos(x):
    z = x * x
    r = z * (4.16666666666666019037e-02 + z * (-1.38888888888741095749e-03 + z * (
        2.48015872894767294178e-05 + z * (-2.75573143513906633035e-07 + z * (
            2.08757232129817482790e-09 + z * -1.13596475577881948265e-11)))))
    hz = 0.5 * z
    w = 1.0 - hz
    return w + (((1.0 - w) - hz) + z * r)


def _reduce(x):
    n = math.floor(x * 6.36619772367581382433e-01 + 0.5)
    y = (x - n * 1.57079632673412561417e+00) - n * 6.07710050650619224932e-11
    return int(n) % 4, y


def psin(x):
    q, y = _reduce(x)
    return (_ksin(y), _kcos(y), -_ksin(y), -_kcos(y))[q]


def pcos(x):
    q, y = _reduce(x)
    return (_kcos(y), -_ksin(y), -_kcos(y), _ksin(y))[q]


def pexp(x):
    if x > 709.782712893383973096:
        return float("inf")
    if x < -745.13321910194110842:
        return 0.0
    k = math.floor(x * 1.44269504088896338700e+00 + 0.5)
    hi = x - k * 6.93147180369123816490e-01
    lo = k * 1.90821492927058770002e-10
    r = hi - lo
    t = r * r
    c = r - t * (1.66666666666666019037e-01 + t * (-2.77777777770155933842e-03 + t * (
        6.61375632143793436117e-05 + t * (-1.65339022054652515390e-06 + t * 4.13813679705723846039e-08))))
    y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi)
    return math.ldexp(y, int(k))


# ------------------------------------------------------------------ PNG


def read_png(path):
    """8-bit RGB or RGBA PNG -> (width, height, rows top-down of [r, g, b, a])."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length = struct.unpack(">I", data[pos:pos + 4])[0]
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, path
        elif kind == b"IDAT":
            idat += body
    bpp = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, p = [], bytearray(stride), 0
    for _ in range(height):
        ftype = raw[p]
        line = bytearray(raw[p + 1:p + 1 + stride])
        p += 1 + stride
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                pa, pb, pc = abs(b - c), abs(a - c), abs(a + b - 2 * c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append([[line[x * bpp + k] for k in range(3)] + [line[x * bpp + 3] if bpp == 4 else 255]
                     for x in range(width)])
        prev = line
    return width, height, rows


# ------------------------------------------------------------------ parts


class Part:
    """A sprite with rows bottom-up (as the program's buffers), pixels [b, g, r]."""

    def __init__(self, folder, description):
        lines = open(os.path.join(folder, description), "rb").read().decode("ascii").splitlines()
        image = lines[0].split()[0]
        values = {}
        for line in lines[1:]:
            key, _, value = line.partition("=")
            values[key] = int(value)
        self.root_x = values["HANA_ROOT_X"]
        self.root_y = values["HANA_ROOT_Y"]
        self.bg = (values["HANA_BGC_B"], values["HANA_BGC_G"], values["HANA_BGC_R"])
        self.w, self.h, rows = read_png(os.path.join(folder, image))
        rows = rows[::-1]
        self.bgr = [[[px[2], px[1], px[0]] for px in row] for row in rows]
        self.alpha = [[px[3] for px in row] for row in rows]


def shrink(src, sw, sh, w, h, channels):
    """Bilinear shrink of bottom-up rows, single precision throughout."""
    if sw == w and sh == h:
        return [list(row) for row in src]

    def taps(n_src, n_dst):
        ratio = f32(n_src / n_dst)
        out = []
        for i in range(n_dst):
            pos = f32(f32(i * ratio) + f32(f32(ratio - 1.0) * 0.5))
            p0 = trunc(pos)
            frac = f32(pos - p0)
            out.append((min(p0, n_src - 1), min(p0 + 1, n_src - 1), frac))
        return out

    xs, ys = taps(sw, w), taps(sh, h)
    result = []
    for (r0, r1, fy) in ys:
        row = []
        for (c0, c1, fx) in xs:
            w00 = f32(f32(1.0 - fx) * f32(1.0 - fy))
            w10 = f32(fx * f32(1.0 - fy))
            w01 = f32(f32(1.0 - fx) * fy)
            w11 = f32(fx * fy)
            vals = []
            for k in range(channels):
                def at(r, c):
                    v = src[r][c]
                    return v[k] if channels > 1 else v
                v = f32(w00 * at(r0, c0))
                v = f32(v + f32(w10 * at(r0, c1)))
                v = f32(v + f32(w01 * at(r1, c0)))
                v = f32(v + f32(w11 * at(r1, c1)))
                vals.append(trunc(v))
            row.append(vals if channels > 1 else vals[0])
        result.append(row)
    return result


# ------------------------------------------------------------------ luma-hue


def luma_hue_forward(r, g, b):
    y = trunc(f32(f32(f32(f32(0.1) * b) + f32(f32(0.3) * r)) + f32(f32(0.6) * g)))
    u = f32(r - y)
    v = f32(b - y)
    hue = f32(math.atan2(u, v) * 40.5845 + 127.5)
    while hue < 0:
        hue = f32(hue + 255)
    while hue > 255:
        hue = f32(hue - 255)
    chroma = f32(math.sqrt(u * u + v * v))
    return y, hue, chroma


def series_cos(x):
    x2 = f32(x * x)
    t = f32(f32(0.001388889) - f32(f32(0.000024802) * x2))
    t = f32(f32(0.041666668) - f32(x2 * t))
    t = f32(f32(0.5) - f32(x2 * t))
    return f32(1.0 - f32(x2 * t))


def series_sin(x):
    x2 = f32(x * x)
    t = f32(f32(0.000198412) - f32(f32(0.000002755) * x2))
    t = f32(f32(0.008333333) - f32(x2 * t))
    t = f32(f32(0.16666667) - f32(x2 * t))
    return f32(x - f32(f32(x * x2) * t))


def to_byte(v):
    if not v > -1.0:
        return 0
    if v >= 256.0:
        return 255
    return max(0, trunc(v))


def luma_hue_inverse(y, hue, chroma):
    angle = f32(f32(hue - 127.5) * f32(0.02464))
    if abs(angle) <= f32(2.628992):
        s, k = series_sin(angle), series_cos(angle)
    else:
        s, k = f32(math.sin(angle)), f32(math.cos(angle))
    yf = f32(y)
    red = to_byte(f32(yf + f32(chroma * s)))
    blue = to_byte(f32(yf + f32(chroma * k)))
    green = to_byte(yf - 0.5 * chroma * s - 0.1667 * chroma * k)
    return red, green, blue


# ------------------------------------------------------------------ canvas


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[[0, 0, 0] for _ in range(w)] for _ in range(h)]  # top-down, [b, g, r]
        self.weight = [[255] * w for _ in range(h)]


def draw_part(gen, canvas, part, x, y, part_angle, heading):
    fx = 1.0 - (gen.rand() % 30) * 0.01
    fy = 1.0 - (gen.rand() % 30) * 0.01
    w2 = max(1, trunc(part.w * fx))
    h2 = max(1, trunc(part.h * fy))
    rx = trunc(part.root_x * fx)
    ry = trunc(part.root_y * fy)
    bgr = shrink(part.bgr, part.w, part.h, w2, h2, 3)
    alpha = shrink(part.alpha, part.w, part.h, w2, h2, 1)
    sign = 1 if gen.rand() & 1 else -1
    d = part_angle + sign * (gen.rand() % 15)
    if d < 0:
        bgr = [row[::-1] for row in bgr]
        alpha = [row[::-1] for row in alpha]
        rx = w2 - rx
    d = (d + heading - 90) % 360
    theta = d * 0.01745328
    sn, cs = psin(theta), pcos(theta)
    pivot_row = h2 - ry - 1
    px = trunc(cs * rx - sn * pivot_row)
    py = trunc(cs * pivot_row + sn * rx)
    us, vs = [], []
    for c in (0, w2 - 1):
        for r in (0, h2 - 1):
            us.append(trunc(cs * c - sn * r))
            vs.append(trunc(sn * c + cs * r))
    umin, vmin = min(us), min(vs)
    U, V = max(us) - umin, max(vs) - vmin
    # The sample parts have no colour parameters: no colour draws.
    for i in range(V):
        a = i + vmin
        for j in range(U):
            b = j + umin
            sx = sn * a + cs * b
            sy = cs * a - sn * b
            if not (0 <= sx < w2 and 0 <= sy < h2):
                continue
            l, k = trunc(sx), trunc(sy)
            tx, ty = sx - l, sy - k
            l1, k1 = min(l + 1, w2 - 1), min(k + 1, h2 - 1)
            cells = [(k, l), (k, l1), (k1, l), (k1, l1)]
            wts = [(1 - tx) * (1 - ty), tx * (1 - ty), (1 - tx) * ty, tx * ty]
            opaque = [c for c in cells if alpha[c[0]][c[1]] != 0]
            if not opaque:
                continue
            mean = [sum(bgr[r][c][ch] for r, c in opaque) // len(opaque) for ch in range(3)]
            sums, asum = [0.0, 0.0, 0.0], 0.0
            for (r, c), wt in zip(cells, wts):
                if alpha[r][c] != 0:
                    for ch in range(3):
                        sums[ch] += wt * bgr[r][c][ch]
                    asum += wt * alpha[r][c]
                else:
                    for ch in range(3):
                        sums[ch] += wt * mean[ch]
            colour = [trunc(s) for s in sums]
            al = trunc(asum)
            if al == 0:
                continue
            yy, hue, chroma = luma_hue_forward(colour[2], colour[1], colour[0])
            red, green, blue = luma_hue_inverse(yy, hue, chroma)
            Y = (y - (vmin + i - py)) % canvas.h
            X = (x + (umin + j - px)) % canvas.w
            t = canvas.px[Y][X]
            for ch, c in enumerate((blue, green, red)):
                t[ch] = (al * c + t[ch] * (255 - al)) // 255
            canvas.weight[Y][X] = (255 - al) * canvas.weight[Y][X] // 255


# ------------------------------------------------------------------ growth


def gaussian_pick(gen, mean, variance, n):
    if mean < 0 or n < 1:
        return -1
    r = gen.rand() % 100000
    if variance <= 0:
        return mean
    lo = 0
    for i in range(n):
        p = f32(pexp(-((mean - i) ** 2) / (2.0 * variance)) / math.sqrt(6.28 * variance))
        hi = lo + trunc(f32(p * 100000.0))
        if lo <= r < hi:
            return i
        lo = hi
    return mean


MOVES = [((1, 0), (1, -1)), ((1, -1), (0, -1)), ((0, -1), (-1, -1)), ((-1, -1), (-1, 0)),
         ((-1, 0), (-1, 1)), ((-1, 1), (0, 1)), ((0, 1), (1, 1)), ((1, 1), (1, 0))]


class Pen:
    def __init__(self, x, y):
        self.x, self.y, self.heading = x, y, 90
        self.steps, self.variance, self.countdown, self.interval = 0, 2, 0, 4
        self.colour = (95, 165, 19)  # red, green, blue


def stamp(gen, canvas, pen):
    rows = br.build(gen, 1, 8, 8, 150, 100, 90)
    v = gen.rand() % 6
    for yy in range(8):
        for xx in range(8):
            l = rows[v * 8 + yy][xx]
            if l == 0.0:
                continue
            X = (pen.x + xx - 4) % canvas.w
            Y = (pen.y + yy - 4) % canvas.h
            t = canvas.px[Y][X]
            for ch, c in enumerate((pen.colour[2], pen.colour[1], pen.colour[0])):
                t[ch] = min(255, max(0, trunc(l * c + (1.0 - l) * t[ch])))
            canvas.weight[Y][X] = min(255, max(0, trunc((1.0 - l) * canvas.weight[Y][X])))


def pen_step(gen, canvas, pen):
    turn = gaussian_pick(gen, 0, pen.variance, 90)
    if gen.rand() & 1:
        turn = -turn
    pen.heading = (pen.heading + turn) % 360
    sector = pen.heading // 45
    f = pen.heading - sector * 45
    dx, dy = MOVES[sector][1 if gen.rand() % 45 < f else 0]
    pen.x += dx
    pen.y += dy
    if pen.x > canvas.w - 1:
        pen.x = 0
    if pen.y > canvas.h - 1:
        pen.y = 0
    if pen.x < 0:
        pen.x = canvas.w - 1
    if pen.y < 0:
        pen.y = canvas.h - 1
    c = pen.countdown
    pen.countdown = c - 1
    if c <= 0:
        stamp(gen, canvas, pen)
        pen.countdown = pen.interval
    pen.steps += 1


def sample_program():
    """(code, heading offset, length, parent, part angle) of the built-in sample."""
    ops = [(100, 0, 0, 0, 0), (100, 0, 40, 0, 0)]
    parent = 1
    for h, a, length in zip((45, -45, 45, -45), (-215, 215, -215, 235), (15, 15, 15, 120)):
        ops += [(102, h, 10, parent, a), (100, 0, length, parent, 0)]
        parent = len(ops) - 1
    for i in range(7):
        h = 25 if i % 2 == 0 else -25
        ops += [(101, h, 20, parent, -h), (100, 0, 10, parent, 0)]
        parent = len(ops) - 1
    for i in range(4):
        h = -25 if i % 2 == 0 else 25
        ops += [(104, h, 15, parent, 0), (100, 0, 10, parent, 0)]
        parent = len(ops) - 1
    ops.append((104, 0, 15, parent, 0))
    return ops


def grow_sample(seed, width, height, x, y, budget, parts):
    gen = br.Generator(seed)
    br.build(gen, 1, 8, 8, 150, 100, 90)  # the default tree's brush, built when it is made
    canvas = Canvas(width, height)
    pen = Pen(x, y)
    ops = sample_program()
    fired = [(0, 0)] * len(ops)
    cursor = 0
    m = max(1, budget * 22 // 100)
    for _ in range(m):
        code, heading, length, parent, angle = ops[cursor]
        if pen.steps >= length:
            fired[cursor] = (pen.x, pen.y)
            part = {101: 0, 104: 1, 102: 2}.get(code)
            if part is not None:
                draw_part(gen, canvas, parts[part], pen.x, pen.y, angle, pen.heading)
            cursor += 1
            if cursor < len(ops):
                nxt = ops[cursor]
                pen.x, pen.y = fired[nxt[3]]
                pen.steps = 0
                pen.heading = (pen.heading + nxt[1] - ops[cursor - 1][1]) % 360
        if cursor >= len(ops):
            break
        pen_step(gen, canvas, pen)
    return canvas


def compare(cli, data, seed, size, at, budget):
    parts = [Part(os.path.join(data, "imgb"), name) for name in
             ("ezoichiyakusou_hana.txt", "ezoichiyakusou_hana2.txt", "ezoichiyakusou_happa.txt", "dummy_eda.txt")]
    w, h = size
    expected = grow_sample(seed, w, h, at[0], at[1], budget, parts)
    home = tempfile.mkdtemp(prefix="sylvane_growth_ref_")
    try:
        shutil.copytree(os.path.join(data, "imgb"), os.path.join(home, "imgb"))
        out = os.path.join(home, "layers.png")
        subprocess.run([cli, "--seed", str(seed), "--home", home, "grow-sample", "--at", "%d,%d" % at,
                        "--size", "%dx%d" % size, "--passes", "1", "--budget", str(budget), "--layers", out],
                       check=True)
        gw, gh, rows = read_png(out)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    assert (gw, gh) == (w, h)
    bad = 0
    painted = 0
    for Y in range(h):
        for X in range(w):
            r, g, b, a = rows[Y][X]
            want = expected.px[Y][X]
            painted += expected.weight[Y][X] != 255
            if (b, g, r) != tuple(want) or a != expected.weight[Y][X]:
                if bad < 5:
                    print("seed %d budget %d: pixel (%d, %d) is %s/%d, expected %s/%d" %
                          (seed, budget, X, Y, (b, g, r), a, tuple(want), expected.weight[Y][X]))
                bad += 1
    print("seed %d, %dx%d at %s, budget %d: %d painted pixels, %d differ" % (seed, w, h, at, budget, painted, bad))
    return bad == 0 and painted > 0


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    cli, data = argv[1], argv[2]
    cases = [(1, (64, 48), (32, 44), 400), (7, (64, 48), (20, 40), 2000), (12345, (96, 40), (90, 39), 5000),
             (2024, (50, 50), (0, 0), 1500)]
    ok = all([compare(cli, data, *case) for case in cases])
    print("growth reference:", "all match" if ok else "MISMATCH")
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
