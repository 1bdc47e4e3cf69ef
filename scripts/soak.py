#!/usr/bin/env python3
"""Soak: the real game under a private Xvfb for a while, random input, figures.

Starts `zarnok` in a play folder of its own (the shipped music, a known best
score table), feeds it random mouse motion, clicks and keys through xdotool,
and every 10 s samples its resident memory and the CPU time it has used. At
the end it presses Escape, expects exit code 0, a table that is still a valid
180-byte table, no temporary file left beside it and no debug.txt.

    scripts/soak.py --zarnok build/bin/zarnok --minutes 15
    scripts/soak.py --zarnok build-asan/bin/zarnok --seconds 60

Exit code 0 when the game held up, 1 when it did not, 77 when Xvfb or
xdotool is missing. The figures are printed; --csv writes the samples.
"""

import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no compiled copy of the e2e driver left in the checkout
sys.path.insert(0, os.path.join(HERE, "..", "tests", "e2e"))
from zarnok_e2e import TABLE, XServer, hiscore_bytes  # noqa: E402

SKIPPED = 77
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
# Escape would end the game before its time; every other key of the game's
# states is fair. The keys that move between states come often enough that
# rounds start, end in a name entry (letters, then Return) and get saved.
KEYS = (["space"] * 8 + ["q"] * 3 + ["Return"] * 4 + ["p", "i", "BackSpace"]
        + [chr(c) for c in range(ord("a"), ord("z") + 1)])


def resident_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return 0.0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # utime and stime are the 14th and 15th fields; the split drops the first two.
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def table_problems(data):
    """What is wrong with a best-score table, as a list of sentences."""
    if data is None:
        return ["hiscores.zk is gone"]
    if len(data) != 180:
        return [f"hiscores.zk is {len(data)} bytes"]
    problems = []
    scores = [data[160 + 2 * i] | data[161 + 2 * i] << 8 for i in range(10)]
    if scores != sorted(scores, reverse=True):
        problems.append(f"scores out of order: {scores}")
    for i in range(10):
        field = data[16 * i:16 * i + 16]
        name = field.split(b"\0", 1)[0]
        if any(b < 0x20 or b > 0x7E for b in name):
            problems.append(f"name {i} holds unprintable bytes: {field!r}")
    return problems


def act(x, rng):
    """One random input: mostly motion, some clicks, some keys."""
    roll = rng.random()
    if roll < 0.5:
        x.xdotool("mousemove_relative", "--", str(rng.randint(-80, 80)), str(rng.randint(-60, 60)))
    elif roll < 0.6:
        x.xdotool("click", "1")
    elif roll < 0.75:
        # Right clicks are points: enough of them earn a place in the table.
        x.xdotool("click", "--repeat", str(rng.randint(1, 4)), "--delay", "30", "3")
    else:
        x.xdotool("key", "--clearmodifiers", rng.choice(KEYS))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--zarnok", required=True, help="the program")
    parser.add_argument("--resources", default=os.path.join(HERE, "..", "game", "resources"),
                        help="the game's resource folder (for music.zk)")
    length = parser.add_mutually_exclusive_group()
    length.add_argument("--minutes", type=float)
    length.add_argument("--seconds", type=float)
    parser.add_argument("--seed", type=int, default=15, help="seed of the random input")
    parser.add_argument("--interval", type=float, default=10.0, help="seconds between samples")
    parser.add_argument("--csv", help="write the samples here")
    parser.add_argument("--keep", action="store_true", help="keep the play folder")
    args = parser.parse_args()
    duration = args.seconds if args.seconds is not None else 60.0 * (args.minutes or 1.0)

    missing = [tool for tool in ("Xvfb", "xdotool") if shutil.which(tool) is None]
    if missing:
        print(f"SKIPPED: {', '.join(missing)} not installed (scripts/install-deps.sh installs them)")
        return SKIPPED

    folder = tempfile.mkdtemp(prefix="zarnok-soak-")
    shutil.copy(os.path.join(args.resources, "music.zk"), folder)
    with open(os.path.join(folder, "hiscores.zk"), "wb") as f:
        f.write(hiscore_bytes(TABLE))
    x = XServer()
    env = x.env()
    env["SDL_AUDIODRIVER"] = "dummy"
    env.pop("SDL_VIDEODRIVER", None)
    suppressions = os.path.join(HERE, "..", "tests", "e2e", "lsan.supp")
    env["LSAN_OPTIONS"] = ":".join(filter(None, [env.get("LSAN_OPTIONS"), f"suppressions={suppressions}"]))
    output = open(os.path.join(folder, "program-output.txt"), "w")
    game = subprocess.Popen([os.path.abspath(args.zarnok)], cwd=folder, env=env, stdout=output,
                            stderr=subprocess.STDOUT)
    rng = random.Random(args.seed)
    samples = []  # (seconds since start, resident MB, CPU seconds)
    problems = []
    actions = 0
    saves = 0
    table_path = os.path.join(folder, "hiscores.zk")
    last_stamp = os.stat(table_path).st_mtime_ns
    try:
        time.sleep(3)  # start-up: display, sounds, pictures
        started = time.monotonic()
        next_sample = started
        while True:
            now = time.monotonic()
            if game.poll() is not None:
                problems.append(f"the game ended by itself with code {game.returncode}")
                break
            if now >= next_sample:
                samples.append((now - started, resident_mb(game.pid), cpu_seconds(game.pid)))
                next_sample += args.interval
                if now - started >= duration:
                    break
            act(x, rng)
            actions += 1
            stamp = os.stat(table_path).st_mtime_ns if os.path.exists(table_path) else None
            if stamp != last_stamp:
                saves += 1
                last_stamp = stamp
            time.sleep(0.02)
        if game.poll() is None:
            x.xdotool("key", "--clearmodifiers", "Escape")
            try:
                code = game.wait(timeout=60)
                if code != 0:
                    problems.append(f"exit code {code} after Escape")
            except subprocess.TimeoutExpired:
                problems.append("the game did not exit on Escape")
        path = os.path.join(folder, "hiscores.zk")
        data = open(path, "rb").read() if os.path.isfile(path) else None
        problems += table_problems(data)
        leftovers = [name for name in os.listdir(folder) if name.startswith("hiscores.zk.tmp")]
        if leftovers:
            problems.append(f"temporaries left: {leftovers}")
        if os.path.exists(os.path.join(folder, "debug.txt")):
            problems.append("debug.txt written: " + open(os.path.join(folder, "debug.txt")).read().strip())
    finally:
        if game.poll() is None:
            game.kill()
            game.wait()
        output.close()
        x.stop()

    report(samples, actions, saves, data if "data" in locals() else None)
    if args.csv:
        with open(args.csv, "w") as f:
            f.write("seconds,resident_mb,cpu_seconds\n")
            for t, rss, cpu in samples:
                f.write(f"{t:.1f},{rss:.1f},{cpu:.2f}\n")
    if problems:
        print("FAIL: " + "; ".join(problems))
        print("program output:\n" + open(os.path.join(folder, "program-output.txt")).read()[-4000:])
    if args.keep or problems:
        print(f"play folder kept: {folder}")
    else:
        shutil.rmtree(folder, ignore_errors=True)
    return 1 if problems else 0


def report(samples, actions, saves, table):
    print(f"{'seconds':>8} {'RSS MB':>8} {'CPU s':>8}")
    for t, rss, cpu in samples:
        print(f"{t:8.1f} {rss:8.1f} {cpu:8.2f}")
    if len(samples) >= 2:
        rss = [s[1] for s in samples]
        shares = [(b[2] - a[2]) / (b[0] - a[0]) * 100 for a, b in zip(samples, samples[1:]) if b[0] > a[0]]
        print(f"resident memory: start {rss[0]:.1f} MB, end {rss[-1]:.1f} MB, "
              f"min {min(rss):.1f}, max {max(rss):.1f}, spread {max(rss) - min(rss):.1f} MB")
        spread = statistics.stdev(shares) if len(shares) > 1 else 0.0
        print(f"CPU per interval: mean {statistics.mean(shares):.1f}% of a core, sd {spread:.1f}, "
              f"min {min(shares):.1f}, max {max(shares):.1f} ({len(shares)} intervals)")
    print(f"{actions} random inputs, {saves} saves of the table seen")
    if table is not None and len(table) == 180:
        scores = [table[160 + 2 * i] | table[161 + 2 * i] << 8 for i in range(10)]
        print(f"final table: {scores} ({'changed' if table != hiscore_bytes(TABLE) else 'unchanged'})")


if __name__ == "__main__":
    sys.exit(main())
