#!/usr/bin/env bash
# Records the committed games of tests/replay/games/ again, by playing the
# real game with the scripted player (tools/recorder/), and then writes their
# frame hashes and best scores. Needed when the journal's format, the
# program's version or its resources change; a change of the pictures alone
# needs only scripts/update-replays.sh.
# Usage: scripts/record-games.sh [build-dir] [script...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
scripts=("$@")
[ ${#scripts[@]} -gt 0 ] || scripts=(won-round raging-loss pause-and-lost-surfaces quit-from-caption)

cmake --build "$build" --target zarnok zarnok_recorder
games=tests/replay/games
mkdir -p "$games"
for script in "${scripts[@]}"; do
  # The player aims by what it sees, and the game is a game: a script that
  # did not go as planned (lost instead of won, a score too low) is played again.
  for attempt in 1 2 3 4 5 6 7 8; do
    echo "== $script, attempt $attempt"
    if "$build/bin/zarnok_recorder" "$script" "$games/$script.zkj"; then
      break
    fi
    rm -f "$games/$script.zkj"
  done
  [ -f "$games/$script.zkj" ] || { echo "$script: no attempt went as planned" >&2; exit 1; }
done
journals=()
for script in "${scripts[@]}"; do journals+=("$games/$script.zkj"); done
python3 tests/replay/replay_games.py update --zarnok "$build/bin/zarnok" --music game/resources/music.zk "${journals[@]}"
