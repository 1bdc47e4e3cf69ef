#!/usr/bin/env bash
# Builds everything and runs every test, headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build=${ZARNOK_BUILD_DIR:-build}
# ZARNOK_CMAKE_ARGS holds several options: split on blanks, on purpose.
read -r -a cmake_args <<< "${ZARNOK_CMAKE_ARGS:-}"
cmake -S . -B "$build" -G Ninja "${cmake_args[@]}"
cmake --build "$build"
ctest --test-dir "$build" --output-on-failure -j2
