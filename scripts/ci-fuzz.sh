#!/usr/bin/env bash
# CI: every libFuzzer target (tests/fuzz/), built with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer. Each committed corpus is
# replayed, then each target is fuzzed for 60 s starting from it, as many at
# once as there are cores. A finding fails the stage: the input is kept in
# build-fuzz/findings/<target>/ and printed in base64, to be committed into
# tests/fuzz/corpus/<target>/, where the replay keeps it as a test.
# Usage: scripts/ci-fuzz.sh [seconds per target]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
echo "== fuzzing: each parser's corpus, then ${seconds} s of each, clang + ASan + UBSan"
build=build-fuzz
ZARNOK_WITH_CLANG=1 bash scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DZARNOK_FUZZ=ON -DZARNOK_SANITIZE=ON -DZARNOK_BENCHMARKS=OFF
cmake --build "$build" --target fuzz_targets
ctest --test-dir "$build" -L fuzz --output-on-failure

findings=$build/findings
rm -rf "$findings"
mkdir -p "$findings"

# Fuzzes one target; new inputs go to a scratch folder, never the checkout.
fuzz() {
  local name=$1 corpus=$2 scratch log=$findings/$1.log
  scratch=$(mktemp -d)
  mkdir -p "$findings/$name"
  if "$build/bin/$name" -max_total_time="$seconds" -timeout=10 -close_fd_mask=2 -print_final_stats=1 \
       -artifact_prefix="$findings/$name/" "$scratch" "$corpus" >"$log" 2>&1; then
    echo "$name: clean, $(sed -n 's/^stat::number_of_executed_units: *//p' "$log") inputs in ${seconds} s"
    rm -rf "$scratch" "$findings/$name"
    return 0
  fi
  rm -rf "$scratch"
  echo "$name: FINDING"
  tail -n 80 "$log"
  for input in "$findings/$name"/*; do
    [[ -f "$input" ]] || continue
    echo "input $(basename "$input") (base64; add it to tests/fuzz/corpus/${name#fuzz_}/):"
    base64 "$input"
  done
  return 1
}

mapfile -t targets <"$build/fuzz_targets.txt"
parallel=$(nproc)
status=0
for ((first = 0; first < ${#targets[@]}; first += parallel)); do
  pids=()
  for target in "${targets[@]:first:parallel}"; do
    read -r name corpus <<<"$target"
    fuzz "$name" "$corpus" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || status=1; done
done
exit "$status"
