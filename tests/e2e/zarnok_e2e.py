#!/usr/bin/env python3
"""End-to-end tests of the real `zarnok` program.

Each scenario starts the program in a play folder of its own under an Xvfb
server, drives it with real X input through xdotool, and looks at the screen
through screenshots compared against pictures composed from the game's own
resources. Sound goes to SDL's dummy driver. Every wait polls for its
condition and is bounded.

Exit code 77 (skipped) when Xvfb, xdotool or ImageMagick's import is missing.
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

SKIPPED = 77
WIDTH, HEIGHT = 800, 600
# How long the first screen may take: a Windows build starts a Wine server and
# its desktop first.
STARTUP = 60

# ---------------------------------------------------------------------------
# Pictures


class Picture:
    """RGB pixels, top row first."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows  # list of lists of (r, g, b)

    def px(self, x, y):
        return self.rows[y][x]


def read_bmp(path):
    """Uncompressed 8-bit palette or 24/32-bit BMP files."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    header_size = struct.unpack_from("<I", data, 14)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    compression = struct.unpack_from("<I", data, 30)[0]
    colours_used = struct.unpack_from("<I", data, 46)[0]
    if compression not in (0, 3):
        raise ValueError(f"{path}: compressed BMP not supported")
    top_down = height < 0
    height = abs(height)
    palette = []
    if bits <= 8:
        count = colours_used or (1 << bits)
        base = 14 + header_size
        for i in range(count):
            b, g, r, _ = data[base + 4 * i: base + 4 * i + 4]
            palette.append((r, g, b))
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for row in range(height):
        source_row = row if top_down else height - 1 - row
        start = offset + source_row * stride
        line = []
        for x in range(width):
            if bits == 8:
                line.append(palette[data[start + x]])
            elif bits == 4:
                byte = data[start + x // 2]
                line.append(palette[(byte >> 4) if x % 2 == 0 else (byte & 15)])
            elif bits in (24, 32):
                step = bits // 8
                b, g, r = data[start + x * step: start + x * step + 3]
                line.append((r, g, b))
            else:
                raise ValueError(f"{path}: {bits}-bit BMP not supported")
        rows.append(line)
    return Picture(width, height, rows)


def load_resources(resource_dir):
    """The bitmaps of the game's resource script, by id."""
    script = None
    for name in sorted(os.listdir(resource_dir)):
        if name.endswith(".rc"):
            script = os.path.join(resource_dir, name)
            break
    if script is None:
        raise RuntimeError(f"no resource script in {resource_dir}")
    pictures = {}
    pattern = re.compile(r'^\s*(\d+)\s+BITMAP\s+(?:[A-Z]+\s+)*"([^"]+)"', re.IGNORECASE)
    with open(script, encoding="latin-1") as f:
        for line in f:
            m = pattern.match(line)
            if m:
                path = os.path.join(os.path.dirname(script), m.group(2).replace("\\\\", "/"))
                pictures[int(m.group(1))] = read_bmp(path)
    return pictures


def to565(rgb):
    r, g, b = rgb
    return (r >> 3, g >> 2, b >> 3)


def close(a, b):
    """Equal as the 16-bit display stores them, allowing one step of rounding."""
    ra, ga, ba = to565(a)
    rb, gb, bb = to565(b)
    return abs(ra - rb) <= 1 and abs(ga - gb) <= 1 and abs(ba - bb) <= 1


class Expected:
    """A picture of the screen composed from the resources, built layer by layer."""

    def __init__(self, base):
        self.rows = [list(r) for r in base.rows]

    def put(self, picture, dx, dy, keyed, src=None):
        sx0, sy0, sx1, sy1 = src or (0, 0, picture.width, picture.height)
        key = picture.px(sx0, sy0) if keyed else None
        for y in range(sy0, sy1):
            for x in range(sx0, sx1):
                p = picture.px(x, y)
                if keyed and p == key:
                    continue
                self.rows[dy + y - sy0][dx + x - sx0] = p
        return self

    def px(self, x, y):
        return self.rows[y][x]


def match_fraction(screen, expected, box, step=3):
    x0, y0, x1, y1 = box
    total = good = 0
    for y in range(y0, y1, step):
        for x in range(x0, x1, step):
            total += 1
            if close(screen.px(x, y), expected.px(x, y)):
                good += 1
    return good / total if total else 0.0


# ---------------------------------------------------------------------------
# Fonts, as the game draws its numbers and names

DIGIT_W, DIGIT_H = 30, 35
LETTER_EDGES = [0, 35, 62, 94, 134, 165, 198, 230, 265, 14, 37, 68, 87, 142, 177, 211, 243,
                44, 79, 105, 133, 167, 202, 257, 296, 35, 70, 100]


def letter_rect(glyph):
    left, right = LETTER_EDGES[glyph], LETTER_EDGES[glyph + 1]
    if right - left < 0:
        left = 0
    top = (glyph // 8) * 55
    return (left, top, right, top + 55)


def read_counter(screen, res, x, y, places):
    """The number a digit counter shows at (x, y), read glyph by glyph."""
    font = res[131]
    background = res[109]
    key = font.px(0, 0)
    digits = []
    for place in range(places):
        best, best_bad = None, None
        for glyph in range(11):
            bad = 0
            for gy in range(0, DIGIT_H, 2):
                for gx in range(0, DIGIT_W, 2):
                    p = font.px(glyph * DIGIT_W + gx, gy)
                    sx, sy = x + place * DIGIT_W + gx, y + gy
                    want = background.px(sx, sy) if p == key else p
                    if not close(screen.px(sx, sy), want):
                        bad += 1
            if best_bad is None or bad < best_bad:
                best, best_bad = glyph, bad
        digits.append(best)
    shown = [d for d in digits if d != 10]
    if not shown:
        return None
    return int("".join(str(d) for d in shown))


# ---------------------------------------------------------------------------
# The X server, the program and its input


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def poll(condition, timeout, what, interval=0.15):
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        last = condition()
        if last:
            return last
        time.sleep(interval)
    raise Failure(f"timed out after {timeout} s waiting for {what} (last: {last!r})")


class XServer:
    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        if not number.strip():
            self.proc.kill()
            raise Failure("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    def stop(self):
        self.proc.terminate()
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()

    def screenshot(self):
        raw = subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", "rgb:-"],
                             capture_output=True, timeout=30, check=True).stdout
        check(len(raw) == WIDTH * HEIGHT * 3, f"screenshot of {len(raw)} bytes")
        rows = []
        for y in range(HEIGHT):
            start = y * WIDTH * 3
            line = raw[start:start + WIDTH * 3]
            rows.append([tuple(line[i:i + 3]) for i in range(0, WIDTH * 3, 3)])
        return Picture(WIDTH, HEIGHT, rows)

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env(), timeout=30, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def key(self, *names):
        for name in names:
            self.xdotool("key", "--clearmodifiers", name)
            time.sleep(0.12)

    def click(self, button, times=1):
        for _ in range(times):
            self.xdotool("mousedown", str(button))
            time.sleep(0.06)
            self.xdotool("mouseup", str(button))
            time.sleep(0.12)


class Program:
    """The game, started directly or, for a Windows build, as `wine64 zarnok.exe`.

    Wine is started on the program itself rather than through its explorer, so
    the exit code is the program's own.
    """

    def __init__(self, exe, folder, env, wine=None):
        self.folder = folder
        self.wine = wine
        self.env = env
        self.log = open(os.path.join(folder, "program-output.txt"), "w")
        command = [wine, exe] if wine else [exe]
        self.proc = subprocess.Popen(command, cwd=folder, env=env, stdout=self.log, stderr=subprocess.STDOUT)

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, timeout):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not exit within {timeout} s")

    def kill(self):
        if self.running():
            self.proc.kill()
            self.proc.wait()
            if self.wine:
                # The loader going leaves the program inside the Wine server.
                server = os.path.join(os.path.dirname(self.wine), "wineserver")
                subprocess.run([server, "-k"], env=self.env, timeout=30, check=False)
        self.log.close()

    def output(self):
        with open(os.path.join(self.folder, "program-output.txt")) as f:
            return f.read()


# ---------------------------------------------------------------------------
# Screens the game shows


class Screens:
    def __init__(self, res):
        self.res = res
        background = res[109]
        self.title = Expected(background).put(res[125], 0, 0, True)
        self.instructions = Expected(res[151])
        caption = Expected(background).put(res[130], 295, 282, True)
        font = res[131]
        caption.put(font, 445, 282, True, (DIGIT_W, 0, 2 * DIGIT_W, DIGIT_H))
        self.caption = caption
        self.status = Expected(background).put(res[121], 0, 20, True)
        self.name_panel = Expected(background).put(res[135], 100, 175, True)

    def is_title(self, shot):
        # Everything above the box in which the rows scroll.
        return match_fraction(shot, self.title, (0, 0, WIDTH, 395)) > 0.98

    def is_instructions(self, shot):
        return match_fraction(shot, self.instructions, (0, 0, WIDTH, HEIGHT)) > 0.98

    def is_caption(self, shot):
        return match_fraction(shot, self.caption, (200, 150, 600, 450)) > 0.98

    def is_playing(self, shot):
        # The status bar's captions, away from its three number fields.
        ok = [match_fraction(shot, self.status, box, 2) for box in ((0, 20, 150, 55), (215, 20, 385, 55),
                                                                   (545, 20, 720, 55))]
        return min(ok) > 0.9

    def is_name_entry(self, shot):
        return match_fraction(shot, self.name_panel, (100, 175, 697, 270), 2) > 0.97

    def score(self, shot):
        return read_counter(shot, self.res, 390, 20, 5)

    def drinks(self, shot):
        return read_counter(shot, self.res, 725, 20, 2)

    def drink_at(self, shot, x, y):
        """Whether a drink of any kind lies with its hot-spot at (x, y)."""
        sheet = self.res[111]
        key = sheet.px(0, 0)
        kinds = (((0, 0, 50, 100), (25, 66)), ((50, 0, 90, 50), (20, 25)), ((50, 50, 90, 100), (20, 25)))
        for (left, top, right, bottom), (hot_x, hot_y) in kinds:
            total = good = 0
            for gy in range(top, bottom, 2):
                for gx in range(left, right, 2):
                    p = sheet.px(gx, gy)
                    if p == key:
                        continue
                    total += 1
                    if close(shot.px(x - hot_x + gx - left, y - hot_y + gy - top), p):
                        good += 1
            if total and good / total > 0.85:
                return True
        return False

    def name_shows(self, shot, text, x=132, y=356):
        """Whether every letter of `text` stands in the name line, in order."""
        font = self.res[134]
        key = font.px(0, 0)
        for ch in text:
            left, top, right, bottom = letter_rect(ord(ch) - 97)
            for gy in range(top, bottom, 2):
                for gx in range(left, right, 2):
                    p = font.px(gx, gy)
                    if p != key and not close(shot.px(x + gx - left, y + gy - top), p):
                        return False
            x += right - left
        return True


def differs(a, b, box, step=4):
    x0, y0, x1, y1 = box
    for y in range(y0, y1, step):
        for x in range(x0, x1, step):
            if not close(a.px(x, y), b.px(x, y)):
                return True
    return False


# ---------------------------------------------------------------------------
# Screens kept from one build and compared with another's


def write_ppm(picture, path):
    with open(path, "wb") as f:
        f.write(f"P6\n{picture.width} {picture.height}\n255\n".encode())
        f.write(bytes(c for row in picture.rows for p in row for c in p))


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = data.split(maxsplit=4)
    check(fields[0] == b"P6" and fields[3] == b"255", f"{path}: not an 8-bit binary PPM file")
    width, height = int(fields[1]), int(fields[2])
    pixels = fields[4]
    rows = [[tuple(pixels[3 * (y * width + x): 3 * (y * width + x) + 3]) for x in range(width)]
            for y in range(height)]
    return Picture(width, height, rows)


def screen_differences(ours, theirs, leave_out=None):
    """Pixels that are not the same in both screens, outside the box `leave_out`."""
    found = []
    for y in range(HEIGHT):
        a, b = ours.rows[y], theirs.rows[y]
        if a == b:
            continue
        for x in range(WIDTH):
            if a[x] != b[x] and not (leave_out and leave_out[0] <= x < leave_out[2] and
                                     leave_out[1] <= y < leave_out[3]):
                found.append((x, y, a[x], b[x]))
    return found


# The four screens whose pixels both builds must show alike, each with the box
# that is left out of the comparison (the title's scrolling rows move on).
COMPARED_SCREENS = {
    "title": (50, 400, 750, 500),
    "instructions": None,
    "caption": None,
    "name-entry": None,
}


# ---------------------------------------------------------------------------
# Scenarios


def hiscore_bytes(entries):
    names = b"".join(name.encode().ljust(16, b" ") for name, _ in entries)
    scores = b"".join(struct.pack("<H", score & 0xFFFF) for _, score in entries)
    return names + scores


# The test's own table: the tenth score is 2, so a handful of points earns a place.
TABLE = [("ada", 40), ("bo", 36), ("cy", 32), ("di", 28), ("ed", 24), ("flo", 20), ("gus", 16),
         ("hal", 12), ("ivy", 8), ("jo", 2)]


class Run:
    def __init__(self, args, xserver, screens, name):
        self.args = args
        self.x = xserver
        self.s = screens
        self.folder = tempfile.mkdtemp(prefix=f"zarnok-e2e-{name}-")
        # Other scripts drive the program through this class too, with options of
        # their own: the ones of the comparison between builds may be absent.
        self.wine = getattr(args, "wine", None)
        self.capture = getattr(args, "capture", None)
        self.reference = getattr(args, "reference", None)
        music = getattr(args, "music", None) or os.path.join(args.resources, "music.zk")
        shutil.copy(music, os.path.join(self.folder, "music.zk"))
        with open(os.path.join(self.folder, "hiscores.zk"), "wb") as f:
            f.write(hiscore_bytes(TABLE))
        self.env = xserver.env()
        self.env["SDL_AUDIODRIVER"] = "dummy"
        # In a sanitizer build, leave out what the system libraries keep.
        suppressions = os.path.join(os.path.dirname(os.path.abspath(__file__)), "lsan.supp")
        options = self.env.get("LSAN_OPTIONS", "")
        self.env["LSAN_OPTIONS"] = (options + ":" if options else "") + f"suppressions={suppressions}"
        self.env.pop("SDL_VIDEODRIVER", None)
        if self.wine:
            self.env.setdefault("WINEDEBUG", "-all")
        self.program = None
        self.mismatches = []

    def start(self):
        self.program = Program(self.args.zarnok, self.folder, self.env, self.wine)
        return self

    def keep_screen(self, name, shot):
        """Keeps the screenshot `shot` of the screen `name` for the comparison between builds.

        With --capture it is written there; with --reference it must equal the
        one another build wrote there, pixel for pixel.
        """
        if self.capture:
            write_ppm(shot, os.path.join(self.capture, f"{name}.ppm"))
        if self.reference:
            theirs = read_ppm(os.path.join(self.reference, f"{name}.ppm"))
            found = screen_differences(shot, theirs, COMPARED_SCREENS[name])
            if found:
                self.mismatches.append(f"{name}: {len(found)} pixels differ, first at "
                                       + ", ".join(f"({x}, {y}) {a} not {b}" for x, y, a, b in found[:3]))

    def keep_file(self, name):
        """Keeps a file the game wrote for the comparison between builds, byte for byte."""
        ours = self.file(name)
        if self.capture:
            with open(os.path.join(self.capture, name), "wb") as f:
                f.write(ours)
        if self.reference:
            with open(os.path.join(self.reference, name), "rb") as f:
                if f.read() != ours:
                    self.mismatches.append(f"{name} differs from the other build's")

    def check_same_as_reference(self):
        check(not self.mismatches, "differs from the other build: " + "; ".join(self.mismatches))

    def shot(self):
        check(self.program.running(), "the program ended early:\n" + self.program.output())
        return self.x.screenshot()

    def wait_for(self, test, what, timeout=20):
        """Polls screenshots until `test` passes on one; returns that screenshot."""
        def attempt():
            shot = self.shot()
            return shot if test(shot) else None
        return poll(attempt, timeout, what)

    def escape_exits(self):
        self.x.key("Escape")
        code = self.program.wait_exit(20)
        check(code == 0, f"exit code {code}")

    def to_play(self):
        self.wait_for(self.s.is_title, "the title", timeout=STARTUP)
        self.x.key("space")
        self.wait_for(self.s.is_caption, "the round caption")
        self.wait_for(self.s.is_playing, "play after the caption")

    def file(self, name):
        path = os.path.join(self.folder, name)
        if not os.path.exists(path):
            return None
        with open(path, "rb") as f:
            return f.read()

    def close(self, keep):
        if self.program:
            self.program.kill()
        if not keep:
            shutil.rmtree(self.folder, ignore_errors=True)


class OffScript(Failure):
    """The game scored in a way the script cannot steer back (the Wanderer got into a box)."""


# The score the whole game ends with: swearing is the one way to earn exactly
# one point, so the script can always reach it, and both builds then write the
# same best-score table.
FINAL_SCORE = 12


def swear_to(run, target):
    """Swears until the score, read while paused, is `target`; returns paused.

    Each right click earns at most one point, so as many clicks as points are
    missing never overshoot. A drink taken or a spectre may take points away
    meanwhile; that only means more swearing.
    """
    s, x = run.s, run.x
    score = None
    for _ in range(30):
        x.key("p")
        time.sleep(0.4)
        shot = run.shot()
        score = s.score(shot)
        if score == target:
            return
        if score is None and (s.is_name_entry(shot) or s.is_title(shot)):
            # A slow machine gave him time to rage: the game is lost, not broken.
            raise OffScript("the game ended before the score was reached")
        if score is not None and score > target:
            raise OffScript(f"score {score} passed {target}")
        x.key("p")
        if score is None:
            # Something stands over the counter (a spectre drifting across the
            # status bar, frozen there by the pause): let play move it on.
            time.sleep(1.0)
            continue
        x.click(3, times=target - score)
        time.sleep(0.2)
    raise Failure(f"score {score}, not {target}, after thirty rounds of swearing")


def scenario_whole_game(run):
    """Title, instructions, a round with clicks, pause, Q, name entry, Escape."""
    s, x = run.s, run.x
    run.start()
    first = run.wait_for(s.is_title, "the title", timeout=STARTUP)
    run.keep_screen("title", first)
    # The rows scroll through the box on the title.
    box = (50, 400, 750, 500)
    run.wait_for(lambda shot: differs(shot, first, box), "the hiscore rows to scroll")

    x.key("i")
    run.keep_screen("instructions", run.wait_for(s.is_instructions, "the instructions"))
    x.key("q", "p")
    time.sleep(0.5)
    check(s.is_instructions(run.shot()), "other keys left the instructions")
    x.key("space")
    run.wait_for(s.is_title, "the title again")

    x.key("space")
    run.keep_screen("caption", run.wait_for(s.is_caption, "the caption of round 1"))
    run.wait_for(s.is_playing, "play after the caption")

    # A left click drops a drink where the cursor figure stands: it starts on
    # the Wanderer, who takes it at once.
    x.click(1)
    run.wait_for(lambda shot: s.drinks(shot) == 1, "one drink taken", timeout=15)

    # The head moves by the mouse's motion; a drink falls where it stands,
    # and shows once the head has moved on (unless he has taken it already).
    x.xdotool("mousemove_relative", "--", "-250", "150")
    time.sleep(0.4)
    x.click(1)
    time.sleep(0.1)
    x.xdotool("mousemove_relative", "--", "400", "0")
    run.wait_for(lambda shot: s.drink_at(shot, 150, 450) or s.drinks(shot) == 2,
                 "a drink where the cursor figure stood", timeout=10)

    # Each right click is a point; a drink taken or a spectre may take some
    # away again meanwhile, so swear until the points show.
    for attempt in range(6):
        x.click(3, times=3)
        try:
            run.wait_for(lambda shot: (s.score(shot) or 0) >= 3, "points for swearing", timeout=8)
            break
        except Failure:
            if attempt == 5:
                raise

    x.key("p")
    time.sleep(0.4)
    a = run.shot()
    time.sleep(0.8)
    b = run.shot()
    check(not differs(a, b, (0, 0, WIDTH, HEIGHT), 2), "the screen moved while paused")
    check(s.score(b) is not None, "no score on the status bar while paused")

    x.key("p")
    run.wait_for(lambda shot: differs(shot, b, (0, 60, WIDTH, HEIGHT)), "play to resume")

    # The score, frozen by a pause, must beat the tenth; Q ends the game there.
    swear_to(run, FINAL_SCORE)
    x.key("q")
    run.wait_for(s.is_name_entry, "the name entry")
    x.key("a", "d", "a")
    run.keep_screen("name-entry", run.wait_for(lambda shot: s.name_shows(shot, "ada"), "the typed letters"))

    x.key("Return")
    place = next(i for i, (_, sc) in enumerate(TABLE) if sc <= FINAL_SCORE)
    expected = hiscore_bytes(TABLE[:place] + [("ada", FINAL_SCORE)] + TABLE[place:9])
    poll(lambda: run.file("hiscores.zk") == expected, 10, "hiscores.zk with the new entry")
    check(len(run.file("hiscores.zk")) == 180, "hiscores.zk is not 180 bytes")
    run.keep_file("hiscores.zk")
    run.wait_for(s.is_title, "the title after the name")
    check(run.file("debug.txt") is None, "debug.txt written on a normal game")
    run.escape_exits()
    run.check_same_as_reference()


def escape_from(state):
    def scenario(run):
        s, x = run.s, run.x
        run.start()
        run.wait_for(s.is_title, "the title", timeout=STARTUP)
        if state == "instructions":
            x.key("i")
            run.wait_for(s.is_instructions, "the instructions")
        elif state == "caption":
            x.key("space")
            run.wait_for(s.is_caption, "the caption")
        elif state in ("playing", "paused", "name"):
            x.key("space")
            run.wait_for(s.is_playing, "play", timeout=20)
            if state == "paused":
                x.key("p")
            if state == "name":
                x.click(3, times=5)
                run.wait_for(lambda shot: (s.score(shot) or 0) > 2, "points")
                x.key("q")
                run.wait_for(s.is_name_entry, "the name entry")
        run.escape_exits()
        check(run.file("debug.txt") is None, "debug.txt written")
        check(run.file("hiscores.zk") == hiscore_bytes(TABLE), "hiscores.zk changed")
    return scenario


def scenario_sound(run):
    """The interlude on the title and the music in the instructions reach the device."""
    s, x = run.s, run.x
    out = os.path.join(run.folder, "audio.raw")
    run.env["SDL_AUDIODRIVER"] = "disk"
    run.env["SDL_DISKAUDIOFILE"] = out
    run.start()
    run.wait_for(s.is_title, "the title", timeout=STARTUP)
    time.sleep(1.5)
    title_bytes = os.path.getsize(out)
    x.key("i")
    run.wait_for(s.is_instructions, "the instructions")
    time.sleep(2.5)
    run.escape_exits()
    with open(out, "rb") as f:
        data = f.read()
    check(len(data) > title_bytes > 0, f"{len(data)} bytes of sound written")

    def loud(chunk):
        return sum(1 for b in chunk if b not in (0, 0x80, 0xFF)) > len(chunk) // 10

    check(loud(data[:title_bytes]), "silence on the title")
    check(loud(data[title_bytes:]), "silence in the instructions")


def failing_start(remove=None, env=None, message=None, fifo=None):
    def scenario(run):
        if remove:
            os.remove(os.path.join(run.folder, remove))
        if fifo:
            # Opening a FIFO for reading waits for a writer: the game must
            # refuse it at once rather than hang at start-up.
            os.remove(os.path.join(run.folder, fifo))
            os.mkfifo(os.path.join(run.folder, fifo))
        run.env.update(env or {})
        run.start()
        code = run.program.wait_exit(30)
        check(code == 0, f"exit code {code}")
        log = run.file("debug.txt")
        check(log == f"ERROR: Aborting\n{message}\n".encode(), f"debug.txt holds {log!r}")
    return scenario


def scenario_no_audio_device(run):
    """Without any audio driver the game still reaches the title, silently, and says so once."""
    run.env["SDL_AUDIODRIVER"] = "no-such-device"
    run.start()
    run.wait_for(run.s.is_title, "the title")
    run.escape_exits()
    check(run.file("debug.txt") is None, "debug.txt written")
    said = run.program.output()
    check(said.count("sound is off") == 1, f"the program said {said!r}")


SCENARIOS = {
    "whole_game": scenario_whole_game,
    "escape_title": escape_from("title"),
    "escape_instructions": escape_from("instructions"),
    "escape_caption": escape_from("caption"),
    "escape_playing": escape_from("playing"),
    "escape_paused": escape_from("paused"),
    "escape_name_entry": escape_from("name"),
    "sound": scenario_sound,
    "no_hiscores": failing_start(remove="hiscores.zk", message="Failed to load hiscore table."),
    "no_music": failing_start(remove="music.zk", message="Failed to load music buffer."),
    "fifo_hiscores": failing_start(fifo="hiscores.zk", message="Failed to load hiscore table."),
    "fifo_music": failing_start(fifo="music.zk", message="Failed to load music buffer."),
    "no_audio_device": scenario_no_audio_device,
}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zarnok", required=True, help="the program")
    parser.add_argument("--resources", required=True, help="the game's resource folder")
    parser.add_argument("--keep", action="store_true", help="keep the play folders")
    parser.add_argument("--music", help="the music.zk to play with (default: the resource folder's)")
    parser.add_argument("--wine", help="run the program, a Windows build, through this Wine loader (wine64)")
    parser.add_argument("--capture", help="write the compared screens and files of the whole game here")
    parser.add_argument("--reference", help="compare the whole game's screens and files with those captured here")
    parser.add_argument("scenarios", nargs="*", help="which to run (default: all)")
    args = parser.parse_args()
    args.zarnok = os.path.abspath(args.zarnok)
    args.resources = os.path.abspath(args.resources)
    for option in ("capture", "reference", "wine", "music"):
        if getattr(args, option):
            setattr(args, option, os.path.abspath(getattr(args, option)))
    if args.capture:
        os.makedirs(args.capture, exist_ok=True)

    missing = [tool for tool in ("Xvfb", "xdotool", "import") if shutil.which(tool) is None]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} not installed (scripts/install-deps.sh installs them)")
        return SKIPPED

    screens = Screens(load_resources(args.resources))
    names = args.scenarios or list(SCENARIOS)
    failed = []
    xserver = XServer()
    try:
        for name in names:
            # A game the script could not steer is played once more from the start.
            for attempt in (1, 2):
                run = Run(args, xserver, screens, name)
                started = time.monotonic()
                try:
                    SCENARIOS[name](run)
                    print(f"PASS {name} ({time.monotonic() - started:.1f} s)")
                except OffScript as error:
                    if attempt == 2:
                        failed.append(name)
                    print(f"{'FAIL' if attempt == 2 else 'AGAIN'} {name}: off script: {error}")
                    continue
                except Exception as error:  # noqa: BLE001 - report every failure and go on
                    failed.append(name)
                    print(f"FAIL {name}: {error}")
                    if not isinstance(error, Failure):
                        traceback.print_exc()
                    if run.program:
                        print("program output:\n" + run.program.output())
                    if args.keep:
                        write_ppm(xserver.screenshot(), os.path.join(run.folder, "screen-at-failure.ppm"))
                        print(f"play folder kept: {run.folder}")
                finally:
                    run.close(args.keep)
                break
    finally:
        xserver.stop()
    if failed:
        print(f"{len(failed)} of {len(names)} failed: {' '.join(failed)}")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
