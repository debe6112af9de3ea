#!/usr/bin/env python3
"""A second, plain implementation of brush pattern building, used to check the
program's patterns value for value.

It builds patterns with the program's random generator and 32-bit float
rounding done through struct, and compares them with the six variants printed
by `sylvane-cli --seed N brush ... --dump`.

usage: brush_reference.py PATH_TO_SYLVANE_CLI      (runs every check)
       brush_reference.py --print SEED TYPE W H STRENGTH EDGE DENSITY
"""
import math
import struct
import subprocess
import sys

VARIANTS = 6


def f32(value):
    """value rounded to a 32-bit float, as a Python float."""
    return struct.unpack("<f", struct.pack("<f", value))[0]


INV_65025 = f32(1.5378700e-5)


class Generator:
    """state <- state * 214013 + 2531011 (mod 2**32); draw = bits 16..30."""

    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def rand(self):
        self.state = (self.state * 214013 + 2531011) & 0xFFFFFFFF
        return (self.state >> 16) & 0x7FFF


def build(gen, ptype, w, h, strength, edge, density):
    """Returns the six variants as a list of rows (variant 0 first), each row a
    list of w Python floats holding 32-bit values."""
    if w <= 0 or h <= 0:
        return []
    if w == 1 and h == 1:
        ptype = 0
    if ptype < 0 or ptype > 25:
        ptype = 1
    if ptype == 22:
        ptype = [16, 17, 18, 19][gen.rand() % 4]
    elif ptype == 23:
        ptype = 3 if gen.rand() % 2 == 1 else 2
    elif ptype == 24:
        ptype = [0, 1, 18, 11][gen.rand() % 4]
    elif ptype == 25:
        ptype = 7 if gen.rand() % 3 == 1 else 11

    R = f32(min(w, h) * 0.5)
    R0 = f32(math.sqrt(w * w + h * h) * 0.5)
    R2 = f32(min(w, h) / (2 * math.sqrt(2.0)))

    def fall(d, rho):
        return ((edge - 255) / rho * d + 255) * strength * INV_65025

    def ring(d):
        q = math.trunc(d / R * 255 + edge)
        if q > 254:
            q = 255
        return q * strength * INV_65025

    def tr(v):
        return math.trunc(v)

    rows = []
    for v in range(VARIANTS):
        for y in range(h):
            row = [0.0] * w
            sign = 1
            if ptype == 4:
                if gen.rand() % 100 < 7:
                    sign = -1
            for x in range(w):
                dist = math.sqrt((y - h * 0.5) ** 2 + (x - w * 0.5) ** 2)
                diag = math.sqrt(((x - y) ** 2) // 2)
                adiag = math.sqrt(((x + y - h) ** 2) // 2)
                cheb = max(abs(tr(y - h * 0.5)), abs(tr(x - w * 0.5)))
                if ptype == 5:
                    inside = (tr(h / 2) - x < y < tr(1.5 * h) - x) and (x - tr(h / 2) < y < x + tr(h / 2))
                    if not inside:
                        continue
                    if not gen.rand() % 100 < density:
                        continue
                    row[x] = f32(fall(dist, R))
                    continue
                passed = gen.rand() % 100 < density
                if not passed:
                    continue
                value = None
                if ptype == 0:
                    value = fall(dist, R0)
                elif ptype == 1:
                    if dist < R:
                        value = fall(dist, R)
                elif ptype == 2:
                    if diag < R2:
                        value = fall(diag, R2)
                elif ptype == 3:
                    if adiag < R2:
                        value = fall(adiag, R2)
                elif ptype == 4:
                    if dist < R:
                        value = fall(dist, R) * sign
                elif ptype == 6:
                    if dist < R:
                        value = ring(dist)
                elif ptype == 7:
                    if dist > R:
                        value = ring(dist)
                elif ptype in (8, 9):
                    lo, hi = (0.4, 0.6) if ptype == 8 else (0.3, 0.7)
                    if (tr(lo * w) <= x < max(1, tr(hi * w))) or (tr(lo * h) <= y < max(1, tr(hi * h))):
                        value = fall(cheb, R)
                elif ptype in (10, 11):
                    k = 0.1 if ptype == 10 else 0.3
                    e = tr((1 + k) * h)
                    if e < 2:
                        e = 1
                    if (-tr(k * h) <= y - x < max(1, tr(k * h))) or (tr(h - k * h) <= x + y < e):
                        value = fall(cheb, R)
                elif ptype == 12:
                    value = fall(abs(h * 0.5 - y), R)
                elif ptype == 13:
                    if tr(0.3 * h) < y < tr(0.7 * h):
                        value = fall(h * 0.5 - y, R)
                elif ptype == 14:
                    value = fall(abs(h * 0.5 - x), R)
                elif ptype == 15:
                    if tr(0.3 * h) < y < tr(0.7 * h):
                        value = fall(h * 0.5 - x, R)
                elif ptype == 16:
                    if y > h - 2 * x and y > 2 * x - h:
                        value = fall(diag, R)
                elif ptype == 17:
                    if y < h - 2 * x or y < 2 * x - h:
                        value = fall(diag, R)
                elif ptype == 18:
                    if y > h - x:
                        value = fall(diag, R)
                elif ptype == 19:
                    if x > y:
                        value = fall(diag, R)
                elif ptype == 20:
                    if y > 0.2 * (x - w * 0.5) ** 2:
                        value = fall(diag, R)
                elif ptype == 21:
                    if y < h - 0.2 * (x - w * 0.5) ** 2:
                        value = fall(diag, R)
                if value is not None:
                    row[x] = f32(value)
            rows.append(row)
    return rows


def dump_text(rows):
    return "".join(" ".join("%.9g" % v for v in row) + "\n" for row in rows)


def cases():
    """(seed, type, w, h, strength, edge, density): every type at several
    sizes, square and not, odd and even, with edges above and below 255."""
    result = []
    sizes = [(8, 8), (2, 2), (1, 1), (5, 7), (9, 4), (13, 13), (3, 1), (1, 6), (16, 10)]
    params = [(150, 100, 90), (255, 0, 100), (200, 40, 80), (90, 300, 60), (255, 255, 50)]
    seed = 1
    for t in range(26):
        for i, (w, h) in enumerate(sizes):
            s, e, d = params[(t + i) % len(params)]
            result.append((seed, t, w, h, s, e, d))
            seed = (seed * 7919 + 3) % 1000003
    # Types outside the table behave as the disc; density outside 0..100.
    result.append((5, 26, 6, 6, 200, 50, 100))
    result.append((6, -3, 7, 5, 200, 50, 100))
    result.append((7, 1, 8, 8, 200, 50, 0))
    result.append((8, 4, 12, 12, 300, 10, 150))
    result.append((9, 12, 4, 20, 255, 0, 100))
    result.append((10, 7, 31, 31, 999, -50, 70))
    return result


def run_cli(cli, case):
    seed, t, w, h, s, e, d = case
    args = [cli, "--seed", str(seed), "brush", "--type", str(t), "--size", "%dx%d" % (w, h),
            "--strength", str(s), "--edge", str(e), "--density", str(d), "--dump"]
    done = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if done.returncode != 0:
        return None, "exit %d: %s" % (done.returncode, done.stderr.decode("utf-8", "replace"))
    return done.stdout.decode("ascii"), ""


def main(argv):
    if len(argv) == 9 and argv[1] == "--print":
        seed, t, w, h, s, e, d = (int(a) for a in argv[2:])
        sys.stdout.write(dump_text(build(Generator(seed), t, w, h, s, e, d)))
        return 0
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    cli = argv[1]
    failures = 0
    all_cases = cases()
    for case in all_cases:
        seed, t, w, h, s, e, d = case
        expected = dump_text(build(Generator(seed), t, w, h, s, e, d))
        got, error = run_cli(cli, case)
        if got != expected:
            failures += 1
            sys.stderr.write("MISMATCH seed=%d type=%d %dx%d strength=%d edge=%d density=%d %s\n"
                             % (seed, t, w, h, s, e, d, error))
            if got is not None:
                for line_no, (a, b) in enumerate(zip(expected.splitlines(), got.splitlines())):
                    if a != b:
                        sys.stderr.write("  row %d\n    expected %s\n    got      %s\n" % (line_no, a, b))
                        break
    if failures:
        sys.stderr.write("%d of %d patterns differ\n" % (failures, len(all_cases)))
        return 1
    print("%d patterns agree" % len(all_cases))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
