#!/usr/bin/env bash
# Starts the demo on a private X server, checks that it fills the screen with
# black (the server's own background is white) and hides the pointer, then
# presses Escape and checks that it exits with 0. Fails loudly when the server
# or the demo's window does not come.
# Usage: scripts/demo-smoke.sh <build-dir> [screenshot.png]
set -euo pipefail
build=${1:?give the build dir}
shot=${2:-$(mktemp --suffix=.png)}
probe=$(mktemp)
display_file=$(mktemp)
xvfb=""
demo=""
cleanup() {
  [[ -n "$demo" ]] && kill "$demo" 2>/dev/null || true
  [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null || true
  rm -f "$probe" "$display_file"
}
trap cleanup EXIT
cc "$(dirname "$0")/cursor-probe.c" -o "$probe" $(pkg-config --cflags --libs x11 xfixes)

# The server picks a free display itself and writes its number once it listens.
Xvfb -displayfd 3 -screen 0 1024x768x24 -wr -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s "$display_file" ]] && break; sleep 0.1; done
[[ -s "$display_file" ]] || { echo "Xvfb did not start"; exit 1; }
display=":$(head -n1 "$display_file")"

DISPLAY=$display "$build/bin/vorlap_demo" &
demo=$!
window=""
for _ in $(seq 100); do
  window=$(DISPLAY=$display xdotool search --name vorlapWindow 2>/dev/null || true)
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || { echo "the demo's window did not appear"; exit 1; }
sleep 1
DISPLAY=$display import -window root "$shot"
mean=$(convert "$shot" -format '%[fx:mean]' info:)
pointer=$(DISPLAY=$display "$probe")
DISPLAY=$display xdotool key Escape
for _ in $(seq 50); do kill -0 "$demo" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$demo" 2>/dev/null; then
  echo "demo did not exit on Escape"; exit 1
fi
status=0
wait "$demo" || status=$?
demo=""
echo "screen mean brightness $mean, visible pointer pixels $pointer, exit code $status"
[[ "$status" == 0 ]] || { echo "demo exited with $status"; exit 1; }
awk -v m="$mean" 'BEGIN { exit !(m < 0.01) }' || { echo "the screen is not black"; exit 1; }
[[ "$pointer" == 0 ]] || { echo "the pointer is visible"; exit 1; }
