#!/usr/bin/env bash
# Builds the game and starts it full-screen on the current display, from the
# play folder `play/`, which holds the two files the game reads beside it: the
# music (refreshed on every start) and the best-score table (the shipped one
# the first time only, so that scores are kept). When the game has to stop,
# it says why in play/debug.txt, and the program repeats that on stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${ZARNOK_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja ${ZARNOK_CMAKE_ARGS:-}
cmake --build "$build" --target zarnok

mkdir -p play
cp game/resources/music.zk play/music.zk
if [[ ! -e play/hiscores.zk ]]; then
  cp game/resources/hiscores.zk play/hiscores.zk
fi
rm -f play/debug.txt

game="$PWD/$build/bin/zarnok"
cd play
status=0
"$game" "$@" || status=$?
# 1 and 2 are the framework's window failures; 2 is also a refused option,
# which the program has explained itself.
if [[ ! -s debug.txt && ( $status -eq 1 || ( $status -eq 2 && $# -eq 0 ) ) ]]; then
  echo "The game could not open its window: is there a display (DISPLAY)?" >&2
fi
exit "$status"
