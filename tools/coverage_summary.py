"""Sums gcov's JSON records (one document per line on stdin) into the line
coverage of the product's portable files: a line counts as covered when any
translation unit ran it. Arguments: the tree's root, and --files for a line
per file."""
import json
import os
import sys

LAYERS = ("base", "storage", "imaging", "strip", "display", "system", "photos", "ui", "app")


def main():
    root = os.path.realpath(sys.argv[1])
    per_file = len(sys.argv) > 2 and sys.argv[2] == "--files"
    lines = {}  # path relative to root -> {line number: covered}
    for text in sys.stdin:
        text = text.strip()
        if not text:
            continue
        document = json.loads(text)
        cwd = document.get("current_working_directory", root)
        for record in document.get("files", []):
            path = os.path.realpath(os.path.join(cwd, record["file"]))
            rel = os.path.relpath(path, root)
            if rel.split(os.sep)[0] not in LAYERS or "_win" in rel:
                continue
            seen = lines.setdefault(rel, {})
            for line in record["lines"]:
                number = line["line_number"]
                seen[number] = seen.get(number, False) or line["count"] > 0

    folders = {}
    for rel, seen in sorted(lines.items()):
        covered, total = sum(seen.values()), len(seen)
        if per_file:
            print(f"  {rel:48} {covered:5}/{total:<5} {100.0 * covered / max(total, 1):5.1f} %")
        folder = folders.setdefault(rel.split(os.sep)[0], [0, 0])
        folder[0] += covered
        folder[1] += total
    all_covered = sum(c for c, _ in folders.values())
    all_total = sum(t for _, t in folders.values())
    for name in LAYERS:
        if name in folders:
            c, t = folders[name]
            print(f"{name:10} {c:6}/{t:<6} {100.0 * c / max(t, 1):5.1f} %")
    print(f"{'total':10} {all_covered:6}/{all_total:<6} {100.0 * all_covered / max(all_total, 1):5.1f} %")


main()
