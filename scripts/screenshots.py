#!/usr/bin/env python3
"""The README's screenshots, taken from replays of the committed recordings.

Makes docs/screenshot-{title,instructions,play,name-entry}.png from chosen
frames of games recorded in tests/replay/games/: the title with the shipped
best scores, the instructions, a round in play, and the name entry with a
typed name. A replay shows the same frames on every run, so the pictures are
exact: --check replays again and compares every pixel.

    scripts/screenshots.py [--zarnok build/bin/zarnok]          rewrite docs/
    scripts/screenshots.py --check [--zarnok build/bin/zarnok]  compare with docs/

When a recording is made again, its frames move: choose them anew in
MOMENTS, after looking at the pictures of `zarnok --replay GAME --headless
--frames DIR --every 10`.
"""

import argparse
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
GAMES = os.path.join(ROOT, "tests", "replay", "games")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import zarnok_e2e as e2e  # noqa: E402
NAMES = ("title", "instructions", "play", "name-entry")


# ---------------------------------------------------------------------------
# PNG files of 8-bit RGB


def _chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def write_png(path, picture):
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in picture.rows)
    header = struct.pack(">IIBBBBB", picture.width, picture.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + _chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(raw, 9))
                + _chunk(b"IEND", b""))


def read_png(path):
    """8-bit RGB or RGBA PNG files without interlacing, any row filter."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError(f"{path}: not a PNG file")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError(f"{path}: only 8-bit RGB or RGBA without interlacing")
    step = 3 if colour == 2 else 4
    stride = width * step
    raw = zlib.decompress(idat)
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append([tuple(line[x:x + 3]) for x in range(0, stride, step)])
        previous = line
    return e2e.Picture(width, height, rows)


# ---------------------------------------------------------------------------
# The moments: a recorded game and one of its frames, a multiple of EVERY.

EVERY = 10
MOMENTS = {
    "title": ("won-round", 10),  # the scroll box's first two rows whole
    "instructions": ("won-round", 20),
    "play": ("won-round", 90),  # the box, a spectre, the Wanderer after a drink
    "name-entry": ("raging-loss", 820),  # "zed" typed
}


def take(zarnok, music):
    """The screenshots, by name, from one replay of each game they come from."""
    shots = {}
    for game in sorted({game for game, _ in MOMENTS.values()}):
        with tempfile.TemporaryDirectory(prefix="zarnok-shots-") as work:
            work = pathlib.Path(work)
            data, frames = work / "data", work / "frames"
            data.mkdir()
            shutil.copy(music, data / "music.zk")
            run = subprocess.run([zarnok, "--replay", os.path.join(GAMES, game + ".zkj"), "--headless",
                                  "--frames", str(frames), "--every", str(EVERY), "--data-dir", str(data)],
                                 capture_output=True, text=True, timeout=300)
            if run.returncode != 0:
                raise SystemExit(f"the replay of {game} failed ({run.returncode}):\n{run.stderr}")
            for name, (source, frame) in MOMENTS.items():
                if source == game:
                    shots[name] = read_png(frames / f"frame-{frame:06d}.png")
    return shots


def first_difference(now, committed):
    if (now.width, now.height) != (committed.width, committed.height):
        return f"{committed.width}x{committed.height} committed, {now.width}x{now.height} now"
    for y in range(now.height):
        if now.rows[y] != committed.rows[y]:
            x = next(x for x in range(now.width) if now.px(x, y) != committed.px(x, y))
            return f"first at ({x}, {y}): {committed.px(x, y)} committed, {now.px(x, y)} now"
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--zarnok", default=os.path.join(ROOT, "build", "bin", "zarnok"), help="the program")
    parser.add_argument("--music", default=os.path.join(ROOT, "game", "resources", "music.zk"))
    parser.add_argument("--docs", default=os.path.join(ROOT, "docs"), help="where the screenshots live")
    parser.add_argument("--check", action="store_true", help="compare with the committed screenshots")
    args = parser.parse_args()
    if not os.access(args.zarnok, os.X_OK):
        print(f"no program at {args.zarnok}: build it first")
        return 1

    shots = take(os.path.abspath(args.zarnok), os.path.abspath(args.music))
    if not args.check:
        for name in NAMES:
            write_png(os.path.join(args.docs, f"screenshot-{name}.png"), shots[name])
        print(f"wrote {len(NAMES)} screenshots to {args.docs}")
        return 0
    faults = []
    for name in NAMES:
        path = os.path.join(args.docs, f"screenshot-{name}.png")
        if not os.path.exists(path):
            faults.append(f"{name}: {path} is missing")
            continue
        difference = first_difference(shots[name], read_png(path))
        if difference:
            faults.append(f"{name}: {difference}")
    for fault in faults:
        print("DIFFERS " + fault)
    if faults:
        print("The committed screenshots are not what the replays show now: run scripts/screenshots.py "
              "and commit docs/screenshot-*.png.")
        return 1
    print(f"the {len(NAMES)} committed screenshots match the replays")
    return 0


if __name__ == "__main__":
    sys.exit(main())
