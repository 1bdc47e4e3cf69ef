#!/usr/bin/env bash
# Starts the demo on a private X server, checks that it fills the screen with
# black (the server's own background is white) and hides the pointer, then
# presses Escape and checks that it exits with 0.
# Usage: scripts/demo-smoke.sh <build-dir> [screenshot.png]
set -euo pipefail
build=${1:?give the build dir}
shot=${2:-$(mktemp --suffix=.png)}
display=:$((90 + RANDOM % 500))
probe=$(mktemp)
cc "$(dirname "$0")/cursor-probe.c" -o "$probe" $(pkg-config --cflags --libs x11 xfixes)

Xvfb "$display" -screen 0 1024x768x24 -wr -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; rm -f "$probe"' EXIT
for _ in $(seq 50); do DISPLAY=$display xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

DISPLAY=$display "$build/bin/vorlap_demo" &
demo=$!
for _ in $(seq 100); do DISPLAY=$display xdotool search --name vorlapWindow >/dev/null 2>&1 && break; sleep 0.1; done
sleep 1
DISPLAY=$display import -window root "$shot"
mean=$(convert "$shot" -format '%[fx:mean]' info:)
pointer=$(DISPLAY=$display "$probe")
DISPLAY=$display xdotool key Escape
status=0
for _ in $(seq 50); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$demo" 2>/dev/null; then
  echo "demo did not exit on Escape"; kill "$demo"; exit 1
fi
wait "$demo" || status=$?
echo "screen mean brightness $mean, visible pointer pixels $pointer, exit code $status"
[[ "$status" == 0 ]] || { echo "demo exited with $status"; exit 1; }
awk -v m="$mean" 'BEGIN { exit !(m < 0.01) }' || { echo "the screen is not black"; exit 1; }
[[ "$pointer" == 0 ]] || { echo "the pointer is visible"; exit 1; }
