#!/usr/bin/env bash
# Builds and runs the sentence-marks benchmark: precision and recall of the pause detection on
# generated recordings, then a 60-minute generated MP3 (about 60 MB in a temporary directory,
# a few minutes to encode) analysed against a bare decode of the same file.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target bench_practice
bench=build/bench/bench/bench_practice
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

status=0
"$bench" accuracy "$tmp" || status=1
# Sixty minutes of generated sentences (44.1 kHz mono): five minutes made and repeated, encoded
# at 128 kbit/s.
"$bench" make "$tmp/part.wav" 300
sox "$tmp/part.wav" "$tmp/long.wav" repeat 11
lame --quiet -b 128 "$tmp/long.wav" "$tmp/long.mp3"
rm -f "$tmp/part.wav" "$tmp/long.wav"
"$bench" speed "$tmp/long.mp3" || status=1
exit $status
