#!/usr/bin/env python3
"""The level check refuses includes that go up and passes the real tree."""
import os
import subprocess
import sys
import tempfile

ROOT = sys.argv[1]
CHECK = os.path.join(ROOT, "scripts", "check-levels")


def run(root):
    return subprocess.run([sys.executable, CHECK, root], capture_output=True, text=True)


def tree(files):
    d = tempfile.mkdtemp()
    for rel, text in files.items():
        path = os.path.join(d, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w") as f:
            f.write(text)
    return d


failures = []


def expect(name, ok, files, needle=None):
    r = run(tree(files))
    if (r.returncode == 0) != ok or (needle and needle not in r.stderr):
        failures.append(f"{name}: exit {r.returncode}, stderr {r.stderr!r}")


expect("the project itself", True, {})
if run(ROOT).returncode != 0:
    failures.append("the project's own sources: " + run(ROOT).stderr)
expect("down is fine", True, {"trees/a.cpp": '#include "paint/brush.h"\n#include "canvas/image/surface.h"\n'})
expect("paint into ui", False, {"paint/a.h": '#include "ui/skin_win.h"\n'}, "paint/a.h:1")
expect("garden into app", False, {"canvas/x_win.cpp": '\n#include "app/app_win.h"\n'}, "canvas/x_win.cpp:2")
expect("trees into the garden", False, {"trees/t.cpp": '#include "canvas/garden.h"\n'})
expect("pictures into records", False, {"canvas/image/p.cpp": '#include "canvas/records/settings.h"\n'})
expect("cli into ui", False, {"cli/c.cpp": '#include "ui/canvas_view.h"\n'})
expect("cli into the garden", True, {"cli/c.cpp": '#include "canvas/garden.h"\n#include "res/resource.h"\n'})
expect("ui into cli", False, {"ui/u.cpp": '#include "cli/command.h"\n'})
expect("a numbered command", False, {"ui/w_win.cpp": 'int k = 40012;  // close\n'}, "command id 40012")
expect("a numbered menu item", False, {"res/x.rc": 'MENUITEM "a", 41005\n'}, "res/x.rc:1")
expect("numbers in comments and the catalogue", True,
       {"ui/w.cpp": '// sends 40012\nint k = CMD_EXIT;\n', "res/commands.h": '#define CMD_EXIT 40012\n'})

for f in failures:
    print("FAILED", f)
print(f"{12 - len(failures)} passed, {len(failures)} failed")
sys.exit(1 if failures else 0)
