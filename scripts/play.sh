#!/usr/bin/env bash
# Builds the program and starts it full-screen on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${ZARNOK_BUILD_DIR:-build}
program=vorlap_demo
cmake -S . -B "$build" -G Ninja ${ZARNOK_CMAKE_ARGS:-}
cmake --build "$build" --target "$program"
# The program finds its files beside itself.
cd "$build/bin"
exec "./$program" "$@"
