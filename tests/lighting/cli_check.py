#!/usr/bin/env python3
"""The lighting commands of sylvane-cli: the gallery's tiles are the renders of
the 28 modes in mode order (random modes drawing in that order), each marked
with its number; refused arguments exit with 2, unreadable input with 1.

usage: cli_check.py PATH_TO_SYLVANE_CLI WORK_FOLDER
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "reference"))
import lighting_reference as ref  # noqa: E402

MODE_RENDERERS = [0, None, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, None,
                  28, 29, 30, 31, 32]
DIGITS = [[7, 5, 5, 5, 7], [2, 6, 2, 2, 7], [7, 1, 7, 4, 7], [7, 1, 7, 1, 7], [5, 5, 7, 1, 1],
          [7, 4, 7, 1, 7], [7, 4, 7, 5, 7], [7, 1, 1, 1, 1], [7, 5, 7, 5, 7], [7, 5, 7, 1, 7]]
GAP = 6


def run(cli, args):
    return subprocess.run([cli] + args, capture_output=True, text=True)


def check_gallery(cli, folder):
    w, h = 40, 30
    bg, tr, wt = ref.make_layers(w, h, 5)
    bg_path = os.path.join(folder, "bg.bmp")
    tr_path = os.path.join(folder, "trees.png")
    ref.write_bmp(bg_path, w, h, bg)
    ref.write_rgba_png(tr_path, w, h, tr, wt)
    out_path = os.path.join(folder, "gallery.bmp")
    seed = 99
    result = run(cli, ["--seed", str(seed), "gallery", "--layers", bg_path, tr_path, out_path, "--time", "12:30"])
    if result.returncode != 0:
        print("gallery failed: %s" % result.stderr)
        return 1
    gw, gh, pixels = ref.read_bmp(out_path)
    failures = 0
    if (gw, gh) != (GAP + 7 * (w + GAP), GAP + 4 * (h + GAP)):
        print("gallery size %dx%d" % (gw, gh))
        return 1
    gen = ref.Generator(seed)
    for mode in range(28):
        renderer = MODE_RENDERERS[mode]
        if mode == 1:
            renderer = 8  # 12:30
        elif mode == 22:
            renderer = gen.rand() % 33
        want = ref.render(renderer, w, h, bg, tr, wt, gen)
        left = GAP + (mode % 7) * (w + GAP)
        top = GAP + (mode // 7) * (h + GAP)
        plate_w, plate_h = 2 + 7, 2 + 5  # digit scale 1 on a 40 x 30 canvas
        for y in range(h):
            for x in range(w):
                got = pixels[left + x, gh - 1 - (top + y)]
                if x < plate_w and y < plate_h:
                    tens, ones = divmod(mode, 10)
                    lit = False
                    if 1 <= y <= 5:
                        row = y - 1
                        if 1 <= x <= 3:
                            lit = bool(DIGITS[tens][row] & (4 >> (x - 1)))
                        elif 5 <= x <= 7:
                            lit = bool(DIGITS[ones][row] & (4 >> (x - 5)))
                    expected = (255, 255, 255) if lit else (0, 0, 0)
                else:
                    expected = want[x, h - 1 - y]
                if got != expected:
                    print("mode %d tile pixel (%d, %d): %s, want %s" % (mode, x, y, got, expected))
                    failures += 1
                    break
            else:
                continue
            break
    # The backdrop between the tiles.
    if pixels[0, 0] != (40, 40, 40) or pixels[GAP + w + 1, gh - 1 - GAP] != (40, 40, 40):
        print("gallery backdrop is not grey")
        failures += 1
    return failures


def check_refusals(cli, folder):
    bg, tr, wt = ref.make_layers(8, 6, 1)
    bg_path = os.path.join(folder, "small_bg.bmp")
    tr_path = os.path.join(folder, "small_trees.png")
    ref.write_bmp(bg_path, 8, 6, bg)
    ref.write_rgba_png(tr_path, 8, 6, tr, wt)
    other_bg = os.path.join(folder, "other_bg.bmp")
    bg2, _, _ = ref.make_layers(9, 6, 1)
    ref.write_bmp(other_bg, 9, 6, bg2)
    out = os.path.join(folder, "refused.bmp")
    cases = [
        (["render", "--layers", bg_path, tr_path, out, "--mode", "3", "--renderer", "4"], 2),
        (["render", "--layers", bg_path, tr_path, out, "--mode", "28"], 2),
        (["render", "--layers", bg_path, tr_path, out, "--renderer", "33"], 2),
        (["render", "--layers", bg_path, tr_path, out, "--time", "24:00"], 2),
        (["render", "--layers", bg_path, tr_path, out, "--time", "12"], 2),
        (["render", "--layers", bg_path], 2),
        (["render", "--layers", bg_path, tr_path], 2),
        (["render", "--layers", bg_path, tr_path, out, "--colour", "1"], 2),
        (["render", "--layers", other_bg, tr_path, out], 1),
        (["render", "--layers", os.path.join(folder, "missing.bmp"), tr_path, out], 1),
        (["render", "--layers", bg_path, tr_path, os.path.join(folder, "out.gif")], 1),
        (["render", os.path.join(folder, "missing.syl"), out], 1),
        (["gallery", "--layers", bg_path, tr_path], 2),
        (["gallery", "--layers", bg_path, tr_path, out, "--time", "7:60"], 2),
        (["render", "--layers", bg_path, tr_path, out, "--renderer", "12"], 0),
    ]
    failures = 0
    for args, code in cases:
        result = run(cli, args)
        if result.returncode != code:
            print("%s: exit %d, want %d (%s)" % (" ".join(args), result.returncode, code, result.stderr.strip()))
            failures += 1
    return failures


def check_garden_file(cli, folder):
    """The GARDEN.syl form: a new canvas of one colour renders as that colour."""
    garden = os.path.join(folder, "g.syl")
    result = run(cli, ["--seed", "1", "new", garden, "--size", "50x40", "--color", "#102030"])
    if result.returncode != 0:
        print("new failed: %s" % result.stderr)
        return 1
    out = os.path.join(folder, "garden.bmp")
    result = run(cli, ["render", garden, out, "--mode", "28"])  # past the table: renderer 0
    if result.returncode != 2:
        print("render with mode 28: exit %d" % result.returncode)
        return 1
    failures = 0
    for renderer in (0, 5, 21):
        result = run(cli, ["render", garden, out, "--renderer", str(renderer)])
        if result.returncode != 0:
            print("render %s failed: %s" % (garden, result.stderr))
            return 1
        w, h, pixels = ref.read_bmp(out)
        if (w, h) != (50, 40) or set(pixels.values()) != {(0x30, 0x20, 0x10)}:
            print("renderer %d of a new garden is not its background colour" % renderer)
            failures += 1
    return failures


def main():
    cli, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    failures = check_gallery(cli, folder) + check_refusals(cli, folder) + check_garden_file(cli, folder)
    print("lighting commands: %s" % ("ok" if failures == 0 else "%d failures" % failures))
    return 0 if failures == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
