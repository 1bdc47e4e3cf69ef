#!/usr/bin/env bash
# After an intended change of what the game shows: replays the committed
# games, rewrites their frame hashes and best scores, and prints which frames
# changed. Review that list before committing it.
# Usage: scripts/update-replays.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target zarnok
python3 tests/replay/replay_games.py update --zarnok "$build/bin/zarnok" --music game/resources/music.zk \
  tests/replay/games/*.zkj
