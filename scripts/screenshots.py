#!/usr/bin/env python3
"""The README's screenshots, taken from the real program at fixed moments.

Makes docs/screenshot-{title,instructions,play,name-entry}.png: the title
with the shipped best scores, the instructions, a round in play with drinks
dropped and a spectre out, and the name entry with a typed name. The program
runs under a private Xvfb and is driven with xdotool, as the end-to-end tests
drive it (their module does the work). The PNG files are written here, so the
same pixels give the same bytes.

    scripts/screenshots.py [--zarnok build/bin/zarnok]          rewrite docs/
    scripts/screenshots.py --check [--zarnok build/bin/zarnok]  compare with docs/

--check takes the pictures again and compares them with the committed ones
wherever the screen does not move from one run to the next: all of the
instructions, the title but for the scrolling rows, the name entry but for
the final score, and in play the status bar's captions and most of the
starfield (the figures move with the game's timing). It exits 1 on a
difference and 77 when Xvfb, xdotool or ImageMagick's import is missing.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import zarnok_e2e as e2e  # noqa: E402

WIDTH, HEIGHT = e2e.WIDTH, e2e.HEIGHT
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
# The moments

# The name entry needs a score above the tenth; this table's tenth is 2.
LOW_TABLE = e2e.hiscore_bytes(e2e.TABLE)


def start(args, xserver, screens, hiscores):
    run = e2e.Run(args, xserver, screens, "shots")
    with open(os.path.join(run.folder, "hiscores.zk"), "wb") as f:
        f.write(hiscores)
    return run.start()


class RowFinder:
    """Finds where a name's row stands whole in the title's scroll box, on the
    raw bytes of a screenshot: fast, so that the rows move little meanwhile."""

    def __init__(self, screens, name):
        font = screens.res[134]
        key = font.px(0, 0)
        self.samples = []  # (dx, dy, colour) of the name's ink, every other pixel
        x = 50
        for ch in name:
            left, top, right, bottom = e2e.letter_rect(ord(ch) - 97)
            for gy in range(top, bottom, 2):
                for gx in range(left, right, 2):
                    p = font.px(gx, gy)
                    if p != key:
                        self.samples.append((x + gx - left, gy - top, p))
            x += right - left

    def top(self, raw, first=400, last=460):
        for y in range(first, last):
            if all(e2e.close(tuple(raw[((y + dy) * WIDTH + dx) * 3:((y + dy) * WIDTH + dx) * 3 + 3]), p)
                   for dx, dy, p in self.samples):
                return y
        return None


def grab(xserver):
    return subprocess.run(["import", "-display", xserver.display, "-window", "root", "-depth", "8", "rgb:-"],
                          capture_output=True, timeout=30, check=True).stdout


def to_picture(raw):
    rows = [[tuple(raw[(y * WIDTH + x) * 3:(y * WIDTH + x) * 3 + 3]) for x in range(WIDTH)] for y in range(HEIGHT)]
    return e2e.Picture(WIDTH, HEIGHT, rows)


def shoot_title(run, placed):
    """The title; when `placed`, once the second best score's row stands at
    the top of the box, so that two whole rows show. The rows move a pixel at
    each redraw, every 41 ms or more; the pace is measured, and the moment
    of the next screenshot aimed at."""
    s = run.s
    shot = run.wait_for(s.is_title, "the title")
    if not placed:
        return shot
    finder = RowFinder(s, "mira")
    seen = []  # (time, row top)
    deadline = time.monotonic() + 90
    while time.monotonic() < deadline:
        check = run.program.running()
        e2e.check(check, "the program ended early:\n" + run.program.output())
        taken = time.monotonic()
        raw = grab(run.x)
        latency = time.monotonic() - taken
        top = finder.top(raw)
        # Lower than 403 the row above still shows its descenders.
        if top is not None and top <= 403:
            return to_picture(raw)
        if top is None:
            seen.clear()  # not in the box: wait for the rows to come round
            continue
        seen.append((taken, top))
        pace = 1 / 0.041
        if len(seen) >= 2 and seen[-1][1] < seen[0][1]:
            pace = (seen[0][1] - seen[-1][1]) / (seen[-1][0] - seen[0][0])
        time.sleep(max(0.0, (top - 401.5) / pace - (time.monotonic() - taken) - latency / 2))
    raise e2e.Failure("the second row never reached the top of the box")


def shoot_title_instructions_play(run, shots, placed):
    s, x = run.s, run.x
    shots["title"] = shoot_title(run, placed)
    x.key("i")
    shots["instructions"] = run.wait_for(s.is_instructions, "the instructions")
    x.key("space")
    run.wait_for(s.is_title, "the title again")
    x.key("space")
    run.wait_for(s.is_caption, "the round caption")
    run.wait_for(s.is_playing, "play after the caption")
    # Drinks across the field, swearing for points, and a last drink that he
    # has not reached yet; by then a spectre has come out, and the box after
    # six seconds of play.
    for dx, dy in ((-220, -120), (160, 260), (330, -60)):
        x.xdotool("mousemove_relative", "--", str(dx), str(dy))
        time.sleep(0.5)
        x.click(1)
    x.click(3, times=25)
    x.xdotool("mousemove_relative", "--", "-420", "40")
    time.sleep(0.3)
    x.click(1)
    x.xdotool("mousemove_relative", "--", "120", "-90")
    time.sleep(0.5)
    shots["play"] = run.shot()
    run.escape_exits()


def shoot_name_entry(run, shots):
    s, x = run.s, run.x
    run.to_play()
    # Swear for points; a spectre may take some away, so the score is read
    # while paused, and Q ends the game from the pause.
    for _ in range(8):
        x.click(3, times=4)
        x.key("p")
        time.sleep(0.4)
        if (s.score(run.shot()) or 0) > 2:
            break
        x.key("p")
    x.key("q")
    run.wait_for(s.is_name_entry, "the name entry")
    name = "mira"
    x.key(*name)
    shots["name-entry"] = run.wait_for(lambda shot: s.name_shows(shot, name), "the typed name")
    run.escape_exits()


def take(args):
    screens = e2e.Screens(e2e.load_resources(args.resources))
    with open(os.path.join(args.resources, "hiscores.zk"), "rb") as f:
        shipped = f.read()
    shots = {}
    xserver = e2e.XServer()
    try:
        # The title's rows are placed for the README; a check leaves them out.
        placed = not args.check
        first = lambda run, shots: shoot_title_instructions_play(run, shots, placed)  # noqa: E731
        for hiscores, moments in ((shipped, first), (LOW_TABLE, shoot_name_entry)):
            run = start(args, xserver, screens, hiscores)
            try:
                moments(run, shots)
            except Exception:
                print("program output:\n" + run.program.output())
                raise
            finally:
                run.close(False)
    finally:
        xserver.stop()
    return shots


# ---------------------------------------------------------------------------
# Comparing what does not move

# Boxes that must match pixel for pixel, and boxes left out of them.
STILL = {
    "title": ([(0, 0, WIDTH, HEIGHT)], [(50, 400, 750, 500)]),
    "instructions": ([(0, 0, WIDTH, HEIGHT)], []),
    "name-entry": ([(0, 0, WIDTH, HEIGHT)], [(250, 275, 550, 310)]),
}
# In play the status bar (at y 20) is drawn last, but keyed: only its
# captions' own pixels stay put, since figures pass behind its ground.
STATUS_Y, CAPTIONS = 20, [(0, 150), (215, 385), (545, 720)]
# The play field: figures and drinks cover some of the starfield, never most.
PLAY_FIELD, PLAY_FIELD_SHARE = (0, 55, WIDTH, HEIGHT), 0.75


def inside(x, y, box):
    return box[0] <= x < box[2] and box[1] <= y < box[3]


def compare(name, now, committed, res):
    """A list of faults; empty when the still parts agree."""
    if (now.width, now.height) != (committed.width, committed.height):
        return [f"{name}: {committed.width}x{committed.height} committed, {now.width}x{now.height} now"]
    if name == "play":
        return compare_play(now, committed, res[121])
    faults = []
    boxes, holes = STILL[name]
    for box in boxes:
        bad, first = 0, None
        for y in range(box[1], box[3]):
            for x in range(box[0], box[2]):
                if any(inside(x, y, h) for h in holes) or now.px(x, y) == committed.px(x, y):
                    continue
                bad += 1
                first = first or (x, y)
        if bad:
            faults.append(f"{name}: {bad} pixels differ in {box}, the first at {first}: "
                          f"{committed.px(*first)} committed, {now.px(*first)} now")
    return faults


def compare_play(now, committed, bar):
    faults = []
    key = bar.px(0, 0)
    for left, right in CAPTIONS:
        bad = [(x, y + STATUS_Y) for y in range(bar.height) for x in range(left, right)
               if bar.px(x, y) != key and now.px(x, y + STATUS_Y) != committed.px(x, y + STATUS_Y)]
        if bad:
            faults.append(f"play: {len(bad)} pixels of the status bar's caption in x {left} to {right} differ, "
                          f"the first at {bad[0]}: {committed.px(*bad[0])} committed, {now.px(*bad[0])} now")
    x0, y0, x1, y1 = PLAY_FIELD
    total = same = 0
    for y in range(y0, y1, 2):
        for x in range(x0, x1, 2):
            total += 1
            same += now.px(x, y) == committed.px(x, y)
    if same / total < PLAY_FIELD_SHARE:
        faults.append(f"play: only {same / total:.0%} of the play field matches the committed starfield")
    return faults


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--zarnok", default=os.path.join(ROOT, "build", "bin", "zarnok"), help="the program")
    parser.add_argument("--resources", default=os.path.join(ROOT, "game", "resources"))
    parser.add_argument("--docs", default=os.path.join(ROOT, "docs"), help="where the screenshots live")
    parser.add_argument("--check", action="store_true", help="compare with the committed screenshots")
    parser.add_argument("--keep", help="with --check, also write the new pictures into this folder")
    args = parser.parse_args()
    args.zarnok = os.path.abspath(args.zarnok)
    args.resources = os.path.abspath(args.resources)

    missing = [tool for tool in ("Xvfb", "xdotool", "import") if shutil.which(tool) is None]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} not installed (scripts/install-deps.sh installs them)")
        return e2e.SKIPPED
    if not os.access(args.zarnok, os.X_OK):
        print(f"no program at {args.zarnok}: build it first")
        return 1

    started = time.monotonic()
    shots = take(args)
    if not args.check:
        for name in NAMES:
            write_png(os.path.join(args.docs, f"screenshot-{name}.png"), shots[name])
        print(f"wrote {len(NAMES)} screenshots to {args.docs} in {time.monotonic() - started:.0f} s")
        return 0

    if args.keep:
        os.makedirs(args.keep, exist_ok=True)
        for name in NAMES:
            write_png(os.path.join(args.keep, f"screenshot-{name}.png"), shots[name])
    res = e2e.load_resources(args.resources)
    faults = []
    for name in NAMES:
        path = os.path.join(args.docs, f"screenshot-{name}.png")
        if not os.path.exists(path):
            faults.append(f"{name}: {path} is missing")
            continue
        faults += compare(name, shots[name], read_png(path), res)
    for fault in faults:
        print("DIFFERS " + fault)
    if faults:
        print("The committed screenshots are not what the program shows now: run scripts/screenshots.py "
              "and commit docs/screenshot-*.png.")
        return 1
    print(f"the {len(NAMES)} committed screenshots match the program ({time.monotonic() - started:.0f} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
