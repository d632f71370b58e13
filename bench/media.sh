#!/usr/bin/env bash
# Builds and runs the media device benchmark once, with a PulseAudio null sink when no sound
# server runs. Makes about 1.5 GB of temporary audio files and takes a few minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target media_bench
# shellcheck source=scripts/sound-server.sh
source scripts/sound-server.sh
ecolvar_sound_start
trap ecolvar_sound_stop EXIT
build/bench/bench/media_bench
