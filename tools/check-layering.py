#!/usr/bin/env python3
"""Keeps the house straight: every #include "room/..." under src/ (tests excluded) must point to a
room on a lower floor, or to one that the floors table of docs/ARCHITECTURE.md lets it use on its
own floor. The table is read from the document, so the document and the check cannot drift apart.

    check_layering.py [--root DIR] [--count]

Exit 0 when the house is straight, 1 with one line per upward include (file:line, both rooms),
2 when the table cannot be read. --count prints the number of upward includes and exits 0.
"""
import argparse
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([A-Za-z0-9_]+)/')
ROOM = re.compile(r"`([a-z0-9_]+)/`")


def read_floors(architecture):
    """{room: floor} and {room: rooms it may use on its own floor}, from the '## Floors' table."""
    floors, sideways, in_section = {}, {}, False
    for line in architecture.read_text(encoding="utf-8").splitlines():
        if line.startswith("## "):
            in_section = line.strip() == "## Floors"
            continue
        cells = [c.strip() for c in line.strip().strip("|").split("|")] if in_section else []
        if len(cells) < 2 or not cells[0].isdigit():
            continue
        for room in ROOM.findall(cells[1]):
            floors[room] = int(cells[0])
        for pair in cells[2].split(",") if len(cells) > 2 else []:
            rooms = ROOM.findall(pair)
            if len(rooms) == 2:
                sideways.setdefault(rooms[0], set()).add(rooms[1])
    return floors, sideways


def upward_includes(src, floors, sideways):
    found = []
    for path in sorted(src.rglob("*")):
        rel = path.relative_to(src)
        if path.suffix not in (".h", ".cpp") or rel.parts[0] == "tests" or len(rel.parts) < 2:
            continue
        room = rel.parts[0]
        for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
            m = INCLUDE.match(line)
            if not m or m.group(1) == room:
                continue
            target = m.group(1)
            if room not in floors or target not in floors:
                unknown = room if room not in floors else target
                found.append(f"src/{rel}:{number}: room {unknown}/ is not in the floors table")
                continue
            a, b = floors[room], floors[target]
            if b > a or (b == a and target not in sideways.get(room, ())):
                found.append(f"src/{rel}:{number}: {room}/ (floor {a}) includes {target}/ "
                             f"(floor {b}), which the floors table does not put below it")
    return found


def main():
    here = pathlib.Path(__file__).resolve()
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", type=pathlib.Path, default=here.parents[1])
    parser.add_argument("--count", action="store_true")
    args = parser.parse_args()
    floors, sideways = read_floors(args.root / "docs" / "ARCHITECTURE.md")
    if not floors:
        print("docs/ARCHITECTURE.md has no '## Floors' table", file=sys.stderr)
        return 2
    src = args.root / "src"
    missing = sorted(d.name for d in src.iterdir()
                     if d.is_dir() and d.name != "tests" and d.name not in floors)
    found = upward_includes(src, floors, sideways)
    if args.count:
        print(len(found))
        return 0
    for room in missing:
        print(f"src/{room}/: room is not in the floors table")
    for line in found:
        print(line)
    return 1 if found or missing else 0


if __name__ == "__main__":
    sys.exit(main())
