#!/usr/bin/env python3
"""Checks of the garden commands of sylvane-cli: the same seed makes the same
sample garden, --report prints one JSON line with the documented keys, and
bad arguments are refused with exit code 2.

usage: garden_cli_check.py PATH_TO_SYLVANE_CLI DATA_FOLDER
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

KEYS = {"passes", "trees_born", "split_children", "loop_children", "mutants", "archived_files",
        "trees_finished", "growing", "random_state"}


def run(cli, home, *args):
    return subprocess.run([cli, "--home", home] + list(args), capture_output=True)


def main(argv):
    cli, data = argv[1], argv[2]
    home = tempfile.mkdtemp(prefix="sylvane_garden_cli_")
    failures = []
    try:
        shutil.copytree(os.path.join(data, "imgb"), os.path.join(home, "imgb"))
        shutil.copytree(os.path.join(data, "prj_data"), os.path.join(home, "prj_data"))
        outs = []
        for name in ("a", "b"):
            layers = os.path.join(home, name + "_layers.png")
            picture = os.path.join(home, name + ".bmp")
            r = run(cli, home, "--seed", "31", "sample", "--layers", layers, "--out", picture, "--report")
            if r.returncode != 0:
                failures.append("sample failed: %r" % r.stderr)
                continue
            report = json.loads(r.stderr.decode("utf-8").strip().splitlines()[-1])
            if set(report) != KEYS:
                failures.append("report keys %s" % sorted(report))
            if report["passes"] != 1 or report["trees_finished"] != 1:
                failures.append("sample report %r" % report)
            outs.append((open(layers, "rb").read(), open(picture, "rb").read(), report["random_state"]))
        if not os.path.exists(os.path.join(home, "sylvane.ini")):
            failures.append("the settings file was not written")
        if len(outs) == 2 and outs[0] != outs[1]:
            failures.append("the same seed made different sample gardens")
        bmp = outs[0][1] if outs else b""
        if bmp[:2] != b"BM" or len(bmp) != 54 + 600 * 3 * 500:
            failures.append("the composite is not a 600 x 500 BMP")

        r = run(cli, home, "--seed", "5", "grow-sample", "--at", "30,40", "--size", "80x60", "--passes", "3",
                "--budget", "150", "--report")
        if r.returncode != 0:
            failures.append("grow-sample failed: %r" % r.stderr)
        else:
            report = json.loads(r.stderr.decode("utf-8").strip().splitlines()[-1])
            if report["passes"] != 3:
                failures.append("grow-sample report %r" % report)

        for bad in (["grow-sample"], ["grow-sample", "--at", "600,10"], ["grow-sample", "--at", "1,1", "--size", "0x5"],
                    ["grow-sample", "--at", "1,1", "--passes", "-1"], ["sample", "--out", "x.txt"],
                    ["sample", "extra"], ["grow-sample", "--at", "1,1", "--frobnicate", "2"]):
            r = run(cli, home, *bad)
            if r.returncode != 2:
                failures.append("%s exited %d" % (bad, r.returncode))
    finally:
        shutil.rmtree(home, ignore_errors=True)
    for f in failures:
        print("FAIL:", f)
    print("garden commands:", "ok" if not failures else "%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
