#!/usr/bin/env python3
"""Benchmark of the real `zarnok` program, run by hand (not a CI gate).

Starts the program under a private Xvfb (800 x 600 x 24, no window manager),
drives it with XTest through the title, the instructions and a played round,
and prints per state: CPU time per second of wall (from /proc/<pid>/stat, in
clock ticks, and from the scheduler's run time where the kernel keeps it),
context switches (wake-ups) per second over all threads, resident memory and
threads; the time from the start to the first title frame on screen (watched
through X DAMAGE against the title's own pixels); and from a click in play to
the first frame after it and to the frame that shows the drink. Three runs
(--runs), medians and ranges. With --reference, a second binary is measured
in the same runs, interleaved, for a before/after table.

Needs Xvfb, a C compiler and the X headers of libX11, libXdamage and libXtst
(`ZARNOK_WITH_BENCH=1 bash scripts/install-deps.sh`).

    python3 bench/program/run.py --zarnok build/bin/zarnok [--reference OTHER]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
WIDTH, HEIGHT = 800, 600
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
STATE_SECONDS = 6


def build_probe(folder):
    probe = os.path.join(folder, "probe")
    subprocess.run(["cc", "-O2", "-o", probe, os.path.join(HERE, "probe.c"), "-lX11", "-lXdamage", "-lXtst"],
                   check=True)
    return probe


class XServer:
    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        self.env = dict(os.environ, DISPLAY=":" + number.decode().strip(), SDL_AUDIODRIVER="dummy")
        self.env.pop("SDL_VIDEODRIVER", None)

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # utime + stime


def run_time(pid):
    """Nanoseconds on a CPU over all threads, from the scheduler's own
    accounting (/proc/<pid>/task/*/schedstat), or None where the kernel
    does not keep it. /proc/<pid>/stat counts whole clock ticks, so over a
    few seconds at 1 % it moves in steps of a sixth of a point; this does not."""
    total = 0
    try:
        for task in os.listdir(f"/proc/{pid}/task"):
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
    except (FileNotFoundError, ValueError, IndexError):
        return None
    return total


def switches(pid, only_main=False):
    total = 0
    for task in [str(pid)] if only_main else os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass
    return total


def memory(pid):
    with open(f"/proc/{pid}/status") as f:
        fields = dict(line.split(":", 1) for line in f if ":" in line)
    return int(fields["VmRSS"].split()[0]) / 1024, int(fields["Threads"])


def measure(result, state, pid, seconds, during=None):
    """CPU % of a core and wake-ups per second (all threads, and the main one)
    over `seconds` (while `during` runs)."""
    t0, c0, s0, m0 = time.monotonic(), cpu_ticks(pid), switches(pid), switches(pid, True)
    r0 = run_time(pid)
    if during:
        during()
    remaining = seconds - (time.monotonic() - t0)
    if remaining > 0:
        time.sleep(remaining)
    wall = time.monotonic() - t0
    result[f"{state} CPU %"] = 100 * (cpu_ticks(pid) - c0) / CLOCK_TICKS / wall
    r1 = run_time(pid)
    if r0 is not None and r1 is not None:
        result[f"{state} CPU % (run time)"] = 100 * (r1 - r0) / 1e9 / wall
    result[f"{state} wake-ups/s"] = (switches(pid) - s0) / wall
    result[f"{state} main-thread wake-ups/s"] = (switches(pid, True) - m0) / wall


def play_folder():
    folder = tempfile.mkdtemp(prefix="zarnok-bench-")
    for name in ("music.zk", "hiscores.zk"):
        shutil.copy(os.path.join(ROOT, "game", "resources", name), folder)
    return folder


def xdotool(x, *args):
    subprocess.run(["xdotool", *args], env=x.env, check=True)


def title_reference(x, probe, zarnok, folder):
    """The title's still pixels above the scrolling rows, as this binary shows them."""
    proc = subprocess.Popen([zarnok], cwd=folder, env=x.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(3)
    grabs = []
    for i in range(2):
        path = os.path.join(folder, f"grab{i}.rgb")
        subprocess.run([probe, "grab", path], env=x.env, check=True)
        with open(path, "rb") as f:
            grabs.append(f.read())
        time.sleep(0.4)
    proc.kill()
    proc.wait()
    a, b = grabs
    records = bytearray()
    for index in range(0, WIDTH * 395, 7):
        p = a[index * 3:index * 3 + 3]
        if p == b[index * 3:index * 3 + 3]:
            records += index.to_bytes(4, "little") + p
    path = os.path.join(folder, "title.ref")
    with open(path, "wb") as f:
        f.write(records)
    return path


def one_run(probe, zarnok):
    x = XServer()
    folder = play_folder()
    result = {}
    try:
        ref = title_reference(x, probe, zarnok, folder)
        time.sleep(0.5)
        out = subprocess.run([probe, "title", ref, "10000", "--", zarnok], cwd=folder, env=x.env,
                             capture_output=True, text=True).stdout.split()
        pid, result["start to title (ms)"] = int(out[0]), float(out[1])
        time.sleep(1.5)
        measure(result, "title", pid, STATE_SECONDS)
        xdotool(x, "key", "i")
        time.sleep(1)
        measure(result, "instructions", pid, STATE_SECONDS)
        xdotool(x, "key", "space")
        time.sleep(1)
        xdotool(x, "key", "space")
        time.sleep(4.5)  # the round caption
        wiggle = lambda: subprocess.run([probe, "wiggle", str(STATE_SECONDS)], env=x.env, check=True)
        measure(result, "play", pid, STATE_SECONDS, wiggle)
        result["resident MB"], result["threads"] = memory(pid)
        # The figure is back where the wiggle began: the middle of the screen.
        clicks = subprocess.run([probe, "clicks", "400", "300", "10"], env=x.env, capture_output=True,
                                text=True).stdout.split("\n")
        firsts, drinks = [], []
        for line in clicks:
            if line.strip():
                first, drink = map(float, line.split())
                if first >= 0:
                    firsts.append(first)
                if drink >= 0:
                    drinks.append(drink)
        result["click to next frame, median (ms)"] = statistics.median(firsts) if firsts else -1
        result["click to next frame, max (ms)"] = max(firsts) if firsts else -1
        result["click to drink shown, median (ms)"] = statistics.median(drinks) if drinks else -1
        result["click to drink shown, max (ms)"] = max(drinks) if drinks else -1
        result["drinks seen of 10"] = len(drinks)
        os.kill(pid, 9)
    finally:
        x.stop()
        shutil.rmtree(folder, ignore_errors=True)
    return result


def summary(values):
    return f"{statistics.median(values):8.2f} [{min(values):.2f}-{max(values):.2f}]"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--zarnok", required=True)
    parser.add_argument("--reference", help="another zarnok binary, measured in the same runs")
    parser.add_argument("--runs", type=int, default=3)
    args = parser.parse_args()
    for tool in ("Xvfb", "xdotool", "cc"):
        if shutil.which(tool) is None:
            sys.exit(f"{tool} is missing")
    work = tempfile.mkdtemp(prefix="zarnok-bench-probe-")
    probe = build_probe(work)
    binaries = {"measured": os.path.abspath(args.zarnok)}
    if args.reference:
        binaries["reference"] = os.path.abspath(args.reference)
    results = {name: [] for name in binaries}
    # The figures move with what else the machine runs: say how busy it was.
    loads = [os.getloadavg()[0]]
    for run in range(args.runs):
        for name, path in binaries.items():
            print(f"run {run + 1}: {name}", file=sys.stderr)
            results[name].append(one_run(probe, path))
            loads.append(os.getloadavg()[0])
    shutil.rmtree(work, ignore_errors=True)
    names = list(binaries)
    print(f"load average (1 min) during the runs: {min(loads):.2f}-{max(loads):.2f}")
    print(f"{'':40}" + "".join(f"{name + ' median [range]':>28}" for name in names))
    for key in results[names[0]][0]:
        print(f"{key:40}" + "".join(f"{summary([r[key] for r in results[n]]):>28}" for n in names))


if __name__ == "__main__":
    main()
