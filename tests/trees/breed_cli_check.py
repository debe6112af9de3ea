#!/usr/bin/env python3
"""Checks of `sylvane-cli breed`: the same seed writes the same children,
several children are named OUT-1.ki .. OUT-N.ki, --report names both parents
for every child and matches the written file, the children are tree files the
loader reads, and bad arguments or parents are refused.

usage: breed_cli_check.py PATH_TO_SYLVANE_CLI SOURCE_FOLDER
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile


def run(cli, home, *args):
    return subprocess.run([cli, "--home", home] + list(args), capture_output=True)


def main(argv):
    cli, source = argv[1], argv[2]
    data = os.path.join(source, "data")
    corpus = os.path.join(source, "tests", "fuzz", "corpus", "kifile")
    home = tempfile.mkdtemp(prefix="sylvane_breed_cli_")
    failures = []
    try:
        shutil.copytree(os.path.join(data, "imgb"), os.path.join(home, "imgb"))
        a = os.path.join(home, "a.ki")
        b = os.path.join(corpus, "loop_point.ki")
        r = run(cli, home, "plant-sample", a)
        if r.returncode != 0:
            return print("plant-sample failed: %r" % r.stderr) or 1

        # The same seed, the same children; another seed, others.
        outs = {}
        for folder, seed in (("one", "9"), ("two", "9"), ("three", "10")):
            os.mkdir(os.path.join(home, folder))
            out = os.path.join(home, folder, "child.ki")
            r = run(cli, home, "--seed", seed, "breed", a, b, out, "--count", "3", "--report")
            if r.returncode != 0:
                failures.append("breed failed: %r" % r.stderr)
                continue
            names = sorted(os.listdir(os.path.join(home, folder)))
            if names != ["child-1.ki", "child-2.ki", "child-3.ki"]:
                failures.append("children written as %s" % names)
                continue
            outs[folder] = ([open(os.path.join(home, folder, n), "rb").read() for n in names],
                            r.stdout.decode("utf-8"))
        if len(outs) == 3:
            if outs["one"][0] != outs["two"][0]:
                failures.append("the same seed bred different children")
            if outs["one"][0] == outs["three"][0]:
                failures.append("another seed bred the same children")

            # The report: both parents in every child, and its figures are the file's.
            report = outs["one"][1]
            blocks = re.split(r"^(?=\S+child-\d\.ki: )", report, flags=re.M)[1:]
            if len(blocks) != 3:
                failures.append("report has %d children: %r" % (len(blocks), report))
            for n, block in enumerate(blocks, 1):
                m = re.search(r"program: ops 0\.\.(\d+) of ([AB]), then ops (\d+)\.\.(\d+) of ([AB]) \((\d+) ops", block)
                if not m or m.group(2) == m.group(5):
                    failures.append("program line of child %d: %r" % (n, block))
                    continue
                ops = int(m.group(1)) + 1 + int(m.group(4)) - int(m.group(3)) + 1
                info = run(cli, home, "info", os.path.join(home, "one", "child-%d.ki" % n))
                if info.returncode != 0:
                    failures.append("info cannot read child %d: %r" % (n, info.stderr))
                    continue
                tree = json.loads(info.stdout.decode("utf-8"))
                if tree["op_count"] != ops or int(m.group(6)) != ops:
                    failures.append("child %d has %d ops, the report says %d" % (n, tree["op_count"], ops))
                if tree["tree_name"] != "エゾイチヤクソウ×エゾイチヤクソウ":
                    failures.append("child %d is named %r" % (n, tree["tree_name"]))
                if tree["mutant"] != 0 or tree["slot_state"] != 0 or tree["cursor"] != 0:
                    failures.append("child %d is not a fresh tree" % n)
                for key, field in (("growth_speed", "growth_speed"), ("loop_chance", "loop_chance")):
                    v = re.search(r"^  %s: (A|B|A\+B) \((-?\d+)\)" % key, block, flags=re.M)
                    if not v or int(v.group(2)) != tree[field]:
                        failures.append("child %d: %s in the report and the file differ" % (n, key))
                if len(re.findall(r"^  part \w+: [AB], [AB] grafted (none|rooted|tiled)$", block, flags=re.M)) != 4:
                    failures.append("child %d: part lines %r" % (n, block))

        # One child keeps OUT's own name.
        single = os.path.join(home, "single.ki")
        r = run(cli, home, "--seed", "1", "breed", a, a, single)
        if r.returncode != 0 or not os.path.exists(single):
            failures.append("a single child was not written as OUT.ki: %r" % r.stderr)

        # Refusals.
        for args, code in ((["breed", a, b], 2), (["breed", a, b, single, "--count", "0"], 2),
                           (["breed", a, b, single, "--bogus"], 2),
                           (["breed", a, os.path.join(home, "missing.ki"), single], 1)):
            r = run(cli, home, *args)
            if r.returncode != code:
                failures.append("%s exited %d, not %d" % (args[1:], r.returncode, code))
        out = os.path.join(home, "none.ki")
        r = run(cli, home, "breed", a, os.path.join(corpus, "empty_program.ki"), out)
        if r.returncode != 1 or os.path.exists(out) or "[交配]" not in r.stderr.decode("utf-8", "replace"):
            failures.append("a parent without a program was not refused: %r" % r.stderr)
    finally:
        shutil.rmtree(home, ignore_errors=True)
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
