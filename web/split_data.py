#!/usr/bin/python3
"""Splits the story's game folder in two for the page: what the first scenes need (the script,
the files outside the story's own folders, the opening sound, then the pictures and sounds of
the scenes nearest the cover, as far as BUDGET_KB allows) is loaded before the game starts; the
rest follows in the background once the first picture is on screen, so the page starts after a
fraction of the story's bytes.

usage: split_data.py DATA_DIR PLAIN_SCRIPT FIRST_DIR REST_DIR [BUDGET_KB]
DATA_DIR is the packed game folder (data/); PLAIN_SCRIPT its script as plain text.
"""
import collections
import os
import shutil
import sys


def scenes(script_path):
    """seq -> (files named in the scene, the scenes it leads to); and the story-wide files."""
    with open(script_path, "rb") as f:
        lines = f.read().decode("cp932", errors="replace").splitlines()
    table = collections.defaultdict(lambda: (set(), set()))
    story_files = set()
    seq = None
    for line in lines:
        line = line.strip()
        if not line or line.startswith(";") or "=" not in line:
            continue
        key, value = line.split("=", 1)
        if key == "seq":
            seq = int(value)
            table[seq]
        elif key in ("img_nm", "snd_nm") and seq is not None:
            table[seq][0].add(value.replace("\\", "/"))
        elif key == "next_seq" and seq is not None:
            table[seq][1].add(int(value))
        elif key == "opening_snd_nm":
            story_files.add(value.replace("\\", "/"))
    return table, story_files


def main():
    data, script, first, rest = sys.argv[1:5]
    budget = int(sys.argv[5]) * 1024 if len(sys.argv) > 5 else 4096 * 1024
    table, early = scenes(script)
    size = lambda rel: os.path.getsize(os.path.join(data, rel)) if os.path.isfile(os.path.join(data, rel)) else 0
    # Breadth first from the cover: whole scenes, nearest first, while they fit the budget (the
    # cover always).
    used = sum(size(f) for f in early)
    seen = {0}
    queue = collections.deque([0])
    while queue:
        s = queue.popleft()
        new = table[s][0] - early
        cost = sum(size(f) for f in new)
        if s != 0 and used + cost > budget:
            break
        early |= new
        used += cost
        for n in sorted(table[s][1]):
            if n not in seen:
                seen.add(n)
                queue.append(n)
    for d in (first, rest):
        shutil.rmtree(d, ignore_errors=True)
        os.makedirs(d)
    sizes = {first: 0, rest: 0}
    for dirpath, _, files in os.walk(data):
        for name in files:
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, data)
            # Files outside the folders the script names from (the script itself, the pointer)
            # always come first.
            to = first if rel in early or "/" not in rel else rest
            os.makedirs(os.path.join(to, os.path.dirname(rel)), exist_ok=True)
            shutil.copy2(path, os.path.join(to, rel))
            sizes[to] += os.path.getsize(path)
    print(f"split_data: first {sizes[first] // 1024} KB, later {sizes[rest] // 1024} KB")


if __name__ == "__main__":
    main()
