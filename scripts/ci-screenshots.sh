#!/usr/bin/env bash
# CI: the README's screenshots in docs/ are, pixel for pixel, the frames the
# current build shows when it replays the committed recordings.
# Usage: scripts/ci-screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
echo "== the README's screenshots are what the replays show"
python3 scripts/screenshots.py --check --zarnok "$build/bin/zarnok"
