#!/usr/bin/env bash
# CI: a short soak of the real game on a sanitizer build (scripts/soak.py):
# a minute of random input must leave it running, exiting cleanly on Escape
# with a valid best-score table, and AddressSanitizer silent.
# Usage: scripts/ci-soak.sh <sanitizer build dir> [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?give the sanitizer build dir}
echo "== soak: the real game under random input for ${2:-60} s on $build"
python3 scripts/soak.py --zarnok "$build/bin/zarnok" --seconds "${2:-60}"
