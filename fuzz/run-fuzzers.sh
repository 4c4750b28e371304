#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (default 60)
# from the committed seed corpus; exits non-zero on any finding.
# Usage: fuzz/run-fuzzers.sh [SECONDS] [BUILD_DIR]
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${2:-$root/build-fuzz}")

CXX=clang++ cmake -S "$root" -B "$build" -DKALIMBER_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target report_fuzzer run_fuzzer patch_fuzzer

run() {
  local target=$1 max_len=$2
  local work="$build/corpus-$target" log="$build/$target.log"
  mkdir -p "$work"
  echo "== $target for ${seconds}s"
  # Absolute paths: the targets work inside a scratch folder of their own.
  if ! (cd "$build" && "$build/fuzz/$target" -max_total_time="$seconds" -max_len="$max_len" \
          -print_final_stats=1 -artifact_prefix="$build/$target-" \
          "$work" "$root/fuzz/corpus/${target%_fuzzer}" >"$log" 2>&1); then
    tail -n 60 "$log"
    echo "FINDING: $target failed; see $log"
    return 1
  fi
  grep -E "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb)" "$log" || true
}

run report_fuzzer 2200
run run_fuzzer 4096
run patch_fuzzer 4096
