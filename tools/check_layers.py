#!/usr/bin/env python3
"""Checks that every product file includes only its own folder and the
layers the README's layout table lets it use.

The table (README.md, "## Layout") is the one description: each row names a
layer, its folder and what it uses ("all below", a list of folders, or
"nothing"). A product file in one of those folders may include headers of
its own folder and of the folders its row names; an include of any other
layer's folder is reported as FILE:LINE with the folder it reaches. Headers
outside the table's folders (the system's, resources/) are not looked at.

usage: check_layers.py [SOURCE_DIR]
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/')
TABLE_ROW = re.compile(r"^\|\s*(\w+)\s*\|\s*`([^`/]+)/`\s*\|[^|]*\|\s*([^|]*?)\s*\|\s*$")
SOURCE_SUFFIXES = (".c", ".cpp", ".h")


def read_layers(readme_path):
    """Returns {folder: set of folders it may include besides its own}, in
    the table's order from top to base, read from the README's layout table."""
    with open(readme_path, encoding="utf-8") as readme:
        lines = readme.read().split("\n")
    try:
        start = lines.index("## Layout")
    except ValueError:
        sys.exit("check_layers: README.md has no '## Layout' section")
    rows = []
    for line in lines[start + 1:]:
        if line.startswith("## "):
            break
        match = TABLE_ROW.match(line)
        if match:
            rows.append(match.groups())
    if not rows:
        sys.exit("check_layers: the layout table names no folder")

    allowed = {}
    for index, (_, folder, uses) in enumerate(rows):
        if uses == "nothing":
            allowed[folder] = set()
        elif uses == "all below":
            # Every folder of a lower layer: the rows after this one that do
            # not stand on this row's level.
            level = rows[index][0]
            allowed[folder] = {row[1] for row in rows[index + 1:] if row[0] != level}
        else:
            named = re.findall(r"`([^`/]+)/`", uses)
            if not named:
                sys.exit("check_layers: cannot read what %s/ uses: %r" % (folder, uses))
            allowed[folder] = set(named)
    return allowed


def find_faults(source_dir, allowed):
    """Yields one line per include that reaches a folder its file may not use."""
    for folder in sorted(allowed):
        root = os.path.join(source_dir, folder)
        for directory, _, names in sorted(os.walk(root)):
            for name in sorted(names):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(directory, name)
                shown = os.path.relpath(path, source_dir)
                with open(path, encoding="utf-8", errors="replace") as source:
                    for number, line in enumerate(source, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = match.group(1)
                        if target == folder or target not in allowed:
                            continue
                        if target not in allowed[folder]:
                            yield "%s:%d: %s/ includes %s/, which it may not use" % (
                                shown, number, folder, target)


def main():
    source_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), os.pardir)
    allowed = read_layers(os.path.join(source_dir, "README.md"))
    faults = list(find_faults(source_dir, allowed))
    for fault in faults:
        print(fault)
    if faults:
        print("check_layers: %d include(s) against the layers" % len(faults))
        return 1
    print("check_layers: %d folders, every include within its layers" % len(allowed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
