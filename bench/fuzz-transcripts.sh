#!/usr/bin/env bash
# Builds the libFuzzer targets of the transcript reader and the style-stream decoder with clang
# (AddressSanitizer + UndefinedBehaviorSanitizer) and runs each for SECONDS (default 150).
# Crashes are left as build/fuzz/crash-<target>-*; turn each into a regression test under
# tests/transcripts. The corpus grows in build/fuzz/corpus/<target> from bench/fuzz/seeds.
#   bench/fuzz-transcripts.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-150}"
build=build/fuzz
CXX=clang++ cmake -S bench/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2

status=0
for target in transcript_reader style_stream; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "== $target for ${seconds}s"
  "$build/fuzz_$target" "$corpus" "bench/fuzz/seeds/$target" \
    -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$build/crash-$target-" -print_final_stats=1 2>"$build/$target.log" \
    || status=$?
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|stat::peak_rss_mb)' \
    "$build/$target.log" || true
  grep -E 'ERROR|SUMMARY|deadly signal|Test unit written' "$build/$target.log" || true
done
exit "$status"
