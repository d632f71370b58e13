#!/usr/bin/env bash
# Builds and runs the course benchmark once, with a PulseAudio null sink when no sound server
# runs: bench/course.sh [FILES] (default 100 one-hour files with and without the encoder header,
# about 5.8 GB of temporary files for 100; they are removed afterwards, also on Ctrl-C).
set -euo pipefail
cd "$(dirname "$0")/.."
files=${1:-100}
cmake --preset bench >/dev/null
cmake --build --preset bench --target course_bench
# shellcheck source=scripts/sound-server.sh
source scripts/sound-server.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/ecolvar-course-bench-XXXXXX")
cleanup() {
  rm -rf "$work"
  ecolvar_sound_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM
ecolvar_sound_start
build/bench/bench/course_bench "$files" "$work"
