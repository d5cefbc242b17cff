#!/usr/bin/env python3
"""Fails on an include against the folder order of docs/architecture.md.

Each product folder may include only itself, the folders before it and
res/. Prints every backward include and exits 1 when there is one.
Usage: tools/check-layers.py [repository root]
"""
import pathlib
import re
import sys

ORDER = ["base", "storage", "imaging", "strip", "display", "system", "photos", "ui", "app"]
ALWAYS = {"res"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.M)


def backward_includes(root):
    for rank, folder in enumerate(ORDER):
        allowed = set(ORDER[: rank + 1]) | ALWAYS
        for source in sorted((root / folder).glob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            text = source.read_text(encoding="utf-8", errors="replace")
            for match in INCLUDE.finditer(text):
                if match.group(1) not in allowed:
                    line = text.count("\n", 0, match.start()) + 1
                    yield f"{source.relative_to(root)}:{line}: {folder}/ may not include {match.group(1)}/"


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    faults = list(backward_includes(root))
    for fault in faults:
        print(fault)
    if faults:
        print(f"check-layers: {len(faults)} backward include(s)")
        return 1
    print("check-layers: every include follows " + " -> ".join(ORDER))
    return 0


if __name__ == "__main__":
    sys.exit(main())
