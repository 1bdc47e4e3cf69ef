#!/usr/bin/env python3
"""Plays a short game with an installed zarnok on a private X server, as a
new player would: the title, a round with points for swearing, Q, a name,
Escape. The program runs in an empty folder with the HOME it is given, and
its stdout and stderr are printed afterwards; the caller checks the files.

Usage: package-game.py --resources DIR --home DIR --cwd DIR [--silent] [--title-only] [--name NAME] PROGRAM
--silent starts it without any audio driver; --title-only quits once the title shows.
"""
import argparse
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from zarnok_e2e import Failure, Screens, XServer, check, load_resources, poll  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--resources", required=True)
    parser.add_argument("--home", required=True)
    parser.add_argument("--cwd", required=True)
    parser.add_argument("--silent", action="store_true")
    parser.add_argument("--title-only", action="store_true")
    parser.add_argument("--name", default="ci")
    parser.add_argument("program")
    args = parser.parse_args()

    screens = Screens(load_resources(args.resources))
    xserver = XServer()
    env = xserver.env()
    env["HOME"] = args.home
    for name in ("XDG_DATA_HOME", "SDL_VIDEODRIVER"):
        env.pop(name, None)
    # A device that plays in real time; --silent leaves none at all.
    env["SDL_AUDIODRIVER"] = "no-such-driver" if args.silent else "dummy"
    program = subprocess.Popen([args.program], cwd=args.cwd, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.STDOUT, text=True)
    try:
        play(args, xserver, screens, program)
    finally:
        if program.poll() is None:
            program.kill()
        print("program output:\n" + program.communicate()[0], end="")
        xserver.stop()


def play(args, x, s, program):
    def shot():
        check(program.poll() is None, f"the program ended early with {program.poll()}")
        return x.screenshot()

    def wait_for(test, what, timeout=20):
        return poll(lambda: (lambda picture: picture if test(picture) else None)(shot()), timeout, what)

    wait_for(s.is_title, "the title")
    if not args.title_only:
        x.key("space")
        wait_for(s.is_caption, "the round caption")
        wait_for(s.is_playing, "play")
        # A point per swear; the shipped table's tenth best is 50. A spectre
        # may take points or his rage may end the game first: swear until
        # the score is enough or the name entry shows.
        score = 0
        for _ in range(40):
            x.xdotool("click", "--repeat", "10", "--delay", "60", "3")
            picture = shot()
            if s.is_name_entry(picture):
                break
            score = s.score(picture) or score
            if score > 60:
                x.key("q")
                break
        wait_for(s.is_name_entry, "the name entry")
        x.key(*args.name)
        x.key("Return")
        wait_for(s.is_title, "the title after the name")
    x.key("Escape")
    try:
        code = program.wait(timeout=20)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not exit on Escape")
    check(code == 0, f"exit code {code}")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)
