#!/usr/bin/env bash
# Builds the libFuzzer targets (transcript reader, style-stream decoder, set-file reader, MP3
# header parser, media device open path) with clang (AddressSanitizer + UndefinedBehavior-
# Sanitizer) and runs each for SECONDS (default 150); TARGETS picks some of them.
# Crashes are left as build/fuzz/crash-<target>-*; turn each into a regression test under the
# tests of its folder. The corpus grows in build/fuzz/corpus/<target> from bench/fuzz/seeds.
#   bench/fuzz-transcripts.sh [SECONDS [TARGETS...]]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-150}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(transcript_reader style_stream mpl_reader mp3_header audio_open)
build=build/fuzz
CXX=clang++ cmake -S bench/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

status=0
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "== $target for ${seconds}s"
  "$build/fuzz_$target" "$corpus" "bench/fuzz/seeds/$target" \
    -max_total_time="$seconds" -max_len=16384 -timeout=10 -rss_limit_mb=2048 -close_fd_mask=2 \
    -artifact_prefix="$build/crash-$target-" -print_final_stats=1 2>"$build/$target.log" \
    || status=$?
  grep -E '^(stat::number_of_executed_units|stat::new_units_added|stat::peak_rss_mb)' \
    "$build/$target.log" || true
  grep -E 'ERROR|SUMMARY|deadly signal|Test unit written' "$build/$target.log" || true
done
exit "$status"
