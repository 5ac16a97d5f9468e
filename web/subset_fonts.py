#!/usr/bin/python3
"""Cuts the IPA fonts down to the characters the page can show: the story's script, the texts
of the program (menu bar, dialogs, messages, overlay menu, staff roll) and every kana, ASCII and
full-width sign, so the page carries a few hundred glyphs instead of thousands.

usage: subset_fonts.py OUT_DIR SCRIPT_FILE SOURCE_ROOT
"""
import glob
import os
import re
import sys

from fontTools import subset

FONTS = {
    "ipag.ttf": "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
    "ipagp.ttf": "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
    "ipam.ttf": "/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf",
    "ipamp.ttf": "/usr/share/fonts/opentype/ipafont-mincho/ipamp.ttf",
}
# The folders whose string literals hold Shift-JIS texts the program draws.
SOURCE_DIRS = ["app", "common", "resources", "scene", "scenario", "gfx", "sound"]
LITERAL = re.compile(r'"((?:\\.|[^"\\\n])*)"')
ESCAPE = re.compile(rb"\\(x[0-9a-fA-F]{1,2}|[0-7]{1,3}|.)")


def literal_bytes(body):
    def one(m):
        e = m.group(1)
        if e[:1] == b"x":
            return bytes([int(e[1:], 16)])
        if e[:1].isdigit():
            return bytes([int(e, 8) & 0xFF])
        return {b"n": b"\n", b"t": b"\t", b"r": b"\r"}.get(e, e)
    return ESCAPE.sub(one, body.encode("latin-1", "replace"))


def program_text(root):
    """Every string literal of the program's sources, joined (a character may be split over two
    adjacent literals) and read as Shift-JIS."""
    text = []
    for d in SOURCE_DIRS:
        for path in sorted(glob.glob(os.path.join(root, d, "*.cpp")) + glob.glob(os.path.join(root, d, "*.h"))):
            with open(path, encoding="utf-8", errors="replace") as f:
                source = f.read()
            joined = b"".join(literal_bytes(m.group(1)) for m in LITERAL.finditer(source))
            text.append(joined.decode("cp932", errors="ignore"))
    return "".join(text)


def main():
    out_dir, script, root = sys.argv[1:4]
    # Both readings of Shift-JIS: the Windows one and plain JIS, which the browser build's C
    # library uses (a few signs differ: wave dash, minus, backslash...).
    with open(script, "rb") as f:
        raw = f.read()
    chars = set(raw.decode("cp932", errors="ignore")) | set(raw.decode("shift_jis", errors="ignore"))
    text = program_text(root)
    chars |= set(text) | set(text.encode("cp932", errors="ignore").decode("shift_jis", errors="ignore"))
    for lo, hi in [(0x20, 0x7E), (0x3000, 0x30FF), (0xFF01, 0xFF9F)]:
        chars |= {chr(c) for c in range(lo, hi + 1)}
    chars = sorted(c for c in chars if ord(c) >= 0x20)
    os.makedirs(out_dir, exist_ok=True)
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.recalc_bounds = False
    options.prune_unicode_ranges = False
    options.layout_features = []
    options.hinting = True
    for name, path in FONTS.items():
        font = subset.load_font(path, options)
        s = subset.Subsetter(options)
        s.populate(text="".join(chars))
        s.subset(font)
        subset.save_font(font, os.path.join(out_dir, name), options)
    print(f"subset_fonts: {len(chars)} characters, "
          + ", ".join(f"{n} {os.path.getsize(os.path.join(out_dir, n)) // 1024} KB" for n in FONTS))


if __name__ == "__main__":
    main()
