#!/usr/bin/env bash
# CI: the README's screenshots in docs/ are what the current build shows at
# their moments, wherever the screen does not move between runs.
# Usage: scripts/ci-screenshots.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
echo "== the README's screenshots are what the program shows"
python3 scripts/screenshots.py --check --zarnok "$build/bin/zarnok"
