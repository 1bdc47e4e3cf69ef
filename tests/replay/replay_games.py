#!/usr/bin/env python3
"""Replays committed recordings of whole games with the real program,
headless, and holds them to what they showed when they were committed.

  replay_games.py check  --zarnok Z --music M games/NAME.zkj...
  replay_games.py update --zarnok Z --music M games/NAME.zkj...

Beside each games/NAME.zkj lie NAME.frames (a line per frame shown: number,
tick, pixel hash) and NAME.hiscores.zk (the best-score table the game left).
`check` fails on any difference and names the frames that differ; `update`
rewrites both after an intended change of the pictures or of the game, and
prints which frames changed.
"""

import argparse
import pathlib
import shutil
import subprocess
import sys
import tempfile


def replay(zarnok, music, journal, work):
    data = work / "data"
    data.mkdir()
    shutil.copy(music, data / "music.zk")
    frames = work / "frames"
    run = subprocess.run([zarnok, "--replay", str(journal), "--headless", "--frame-hashes", str(frames),
                          "--data-dir", str(data)], capture_output=True, text=True, timeout=300)
    hiscores = data / "hiscores.zk"
    return (run.returncode, run.stderr, frames.read_text() if frames.exists() else "",
            hiscores.read_bytes() if hiscores.exists() else None)


def frame_differences(old, new):
    """Numbers of the frames whose line differs, and frames only one side has."""
    old_lines, new_lines = old.splitlines(), new.splitlines()
    changed = [i for i in range(min(len(old_lines), len(new_lines))) if old_lines[i] != new_lines[i]]
    changed += list(range(min(len(old_lines), len(new_lines)), max(len(old_lines), len(new_lines))))
    return changed, len(old_lines), len(new_lines)


def describe(changed, old_count, new_count):
    shown = ", ".join(str(n) for n in changed[:12]) + (", ..." if len(changed) > 12 else "")
    return f"{len(changed)} of {max(old_count, new_count)} frames differ ({old_count} before, {new_count} now): {shown}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=["check", "update"])
    parser.add_argument("--zarnok", required=True)
    parser.add_argument("--music", required=True)
    parser.add_argument("journals", nargs="+", type=pathlib.Path)
    args = parser.parse_args()

    failed = False
    for journal in args.journals:
        name = journal.stem
        frames_file = journal.with_suffix(".frames")
        hiscores_file = journal.with_name(name + ".hiscores.zk")
        with tempfile.TemporaryDirectory(prefix="zarnok-replay-") as work:
            code, errors, frames, hiscores = replay(args.zarnok, args.music, journal, pathlib.Path(work))
        if code != 0:
            print(f"{name}: the replay ended with exit code {code}:\n{errors}")
            failed = True
            continue
        old_frames = frames_file.read_text() if frames_file.exists() else ""
        changed, old_count, new_count = frame_differences(old_frames, frames)
        old_hiscores = hiscores_file.read_bytes() if hiscores_file.exists() else None
        if args.mode == "update":
            frames_file.write_text(frames)
            hiscores_file.write_bytes(hiscores)
            summary = (f"{new_count} frames, new" if old_count == 0 else
                       describe(changed, old_count, new_count) if changed else f"{new_count} frames, unchanged")
            print(f"{name}: " + summary
                  + ("; best scores changed" if old_hiscores not in (None, hiscores) else ""))
            continue
        if changed:
            print(f"{name}: {describe(changed, old_count, new_count)}")
            failed = True
        if old_hiscores != hiscores:
            print(f"{name}: the best scores left behind differ from {hiscores_file.name}")
            failed = True
        if not changed and old_hiscores == hiscores:
            print(f"{name}: {new_count} frames and the best scores as committed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
