#!/usr/bin/python3
"""Packs a part of the story's sounds for the page: every 16-bit PCM RIFF WAVE file (one or two
channels) of the part goes over the wire as Ogg Vorbis, which the browser decodes; the page
writes it back into the game folder as a WAVE file of the same format, rate, channels and
length (its header and the chunks around the samples byte for byte the same, the samples those
Vorbis gives back) before the game can open it. Other files, and sounds that Vorbis would not
make smaller, stay in the part as they are.

usage: pack_sounds.py PAGE_DIR PART_NAME PART_DIR PLAIN_DIR
PART_DIR is the part's data folder (stored form); PLAIN_DIR the same files in plain form
("poromina-tool unpack"). The Vorbis files land in PAGE_DIR/sounds, their list (appended to)
in PAGE_DIR/sounds.json. The files moved out of PART_DIR are removed from it.
"""
import base64
import json
import os
import struct
import subprocess
import sys
import tempfile

QUALITY = "6"  # oggenc's scale: 6 keeps the synthesised tones free of audible artefacts


def wave_layout(data):
    """(channels, rate, block_align, bits, format_tag, data_offset, data_length) or None."""
    if len(data) < 12 or data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        return None
    fmt = None
    pos = 12
    while pos + 8 <= len(data):
        tag, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
        body = pos + 8
        if tag == b"fmt " and size >= 16 and body + 16 <= len(data):
            fmt = struct.unpack("<HHIIHH", data[body:body + 16])
        elif tag == b"data":
            if fmt is None or body + size > len(data):
                return None
            format_tag, channels, rate, _, block_align, bits = fmt
            return channels, rate, block_align, bits, format_tag, body, size
        pos = body + size + (size & 1)
    return None


def main():
    page, part, part_dir, plain_dir = sys.argv[1:5]
    os.makedirs(os.path.join(page, "sounds"), exist_ok=True)
    listing = os.path.join(page, "sounds.json")
    sounds = json.load(open(listing)) if os.path.exists(listing) else []
    before = after = 0
    for dirpath, _, files in sorted(os.walk(part_dir)):
        for name in sorted(files):
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, part_dir)
            if not name.lower().endswith(".wav"):
                continue
            with open(path, "rb") as f:
                stored = f.read()
            layout = wave_layout(stored)
            if not layout:
                continue
            channels, rate, block_align, bits, format_tag, offset, length = layout
            if format_tag != 1 or bits != 16 or channels not in (1, 2) or block_align != 2 * channels:
                continue
            frames = length // block_align
            if frames == 0 or not os.path.isfile(os.path.join(plain_dir, rel)):
                continue
            ogg_name = f"sounds/{len(sounds)}.ogg"
            ogg = os.path.join(page, ogg_name)
            with tempfile.TemporaryDirectory() as tmp:
                # oggenc reads the plain file; a name of ASCII letters keeps it away from locales.
                source = os.path.join(tmp, "in.wav")
                with open(os.path.join(plain_dir, rel), "rb") as f, open(source, "wb") as g:
                    g.write(f.read())
                subprocess.run(["oggenc", "-Q", "-q", QUALITY, "-o", ogg, source], check=True)
            if os.path.getsize(ogg) >= len(stored) * 9 // 10:
                os.remove(ogg)
                continue
            sounds.append({
                "path": "/game/data/" + rel,
                "ogg": ogg_name,
                "part": part,
                "channels": channels,
                "rate": rate,
                "frames": frames,
                "head": base64.b64encode(stored[:offset]).decode(),
                "length": length,
                "tail": base64.b64encode(stored[offset + length:]).decode(),
            })
            before += len(stored)
            after += os.path.getsize(ogg)
            os.remove(path)
    with open(listing, "w") as f:
        json.dump(sounds, f, ensure_ascii=False, indent=0)
    print(f"pack_sounds: {part}: {before // 1024} KB of WAVE as {after // 1024} KB of Vorbis")


if __name__ == "__main__":
    main()
