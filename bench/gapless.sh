#!/usr/bin/env bash
# Builds and runs the gap benchmark of a list's files, with a PulseAudio null sink when no sound
# server runs. Takes about four minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target gapless_bench
# shellcheck source=scripts/sound-server.sh
source scripts/sound-server.sh
ecolvar_sound_start
trap ecolvar_sound_stop EXIT
build/bench/bench/gapless_bench
