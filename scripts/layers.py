#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The folders of src/ as layers: which includes which, drawn bottom to top, and checked.

Every folder is one layer and one target (its CMakeLists.txt makes one library); an include may
only reach a folder below its own. Exit status 1 on an arrow upward, an unknown folder, or a
folder with other than one target.  --dot FILE also writes the picture for Graphviz.
"""
import re
import sys
from pathlib import Path

# Bottom to top, as src/CMakeLists.txt adds them.
LAYERS = ["posix", "zip", "unzip32", "common", "archive", "split", "cli", "toolkit", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z0-9_]+)/', re.M)


def edges(src):
    found = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or path.parent == src:
            continue
        folder = path.relative_to(src).parts[0]
        for target in INCLUDE.findall(path.read_text(errors="replace")):
            if target != folder:
                found.setdefault((folder, target), []).append(path.relative_to(src).as_posix())
    return found


def main():
    src = Path(__file__).resolve().parent.parent / "src"
    faults = []
    folders = sorted(p.name for p in src.iterdir() if p.is_dir())
    for folder in folders:
        if folder not in LAYERS:
            faults.append(f"{folder}/ is no layer")
            continue
        made = re.findall(r"^\s*add_library\(", (src / folder / "CMakeLists.txt").read_text(), re.M)
        if len(made) != 1:
            faults.append(f"{folder}/ makes {len(made)} targets")
    found = edges(src)
    print("layer      includes (each below it)")
    for folder in reversed(LAYERS):
        below = [t for (f, t) in found if f == folder]
        below.sort(key=LAYERS.index, reverse=True)
        print(f"{folder:<10} {' '.join(below) if below else '-'}")
    for (folder, target), files in sorted(found.items()):
        if target not in LAYERS or LAYERS.index(target) > LAYERS.index(folder):
            faults.append(f"{folder} -> {target} reaches up: {', '.join(files)}")
    if "--dot" in sys.argv:
        lines = ["digraph layers {", "  rankdir=BT; node [shape=box];"]
        lines += [f'  "{f}" -> "{t}";' for (f, t) in sorted(found)]
        Path(sys.argv[sys.argv.index("--dot") + 1]).write_text("\n".join(lines + ["}"]) + "\n")
    for fault in faults:
        print("FAULT:", fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
