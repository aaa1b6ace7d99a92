#!/usr/bin/env python3
"""The engine's folders include only folders below them.

Usage: check_layering.py SOURCE_DIR

The order, lowest first, is the one README.md gives; engine/ holds the lifecycle table
and sits on top. Lists every include of a folder above the including one.
"""
import os
import re
import sys

ORDER = ["platform", "external", "frame", "page", "undo", "brush", "compose", "select",
         "effects", "script", "exchange", "geometry", "tablet", "engine"]
RANK = {name: i for i, name in enumerate(ORDER)}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/', re.MULTILINE)


def main():
    root = sys.argv[1]
    problems, files = [], 0
    for folder in ORDER:
        for dirpath, _, names in os.walk(os.path.join(root, folder)):
            for name in sorted(names):
                if not name.endswith((".h", ".cpp", ".c")):
                    continue
                files += 1
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for target in INCLUDE.findall(text):
                    if target in RANK and RANK[target] > RANK[folder]:
                        problems.append(f"{os.path.relpath(path, root)} includes {target}/, "
                                        f"which stands above {folder}/")
    for p in problems:
        print(p)
    print(f"{files} files checked, {len(problems)} upward includes")
    return 1 if problems or files == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
