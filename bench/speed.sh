#!/usr/bin/env bash
# Builds and runs the speed and loop benchmark once, with a PulseAudio null sink when no sound
# server runs. Takes about two minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset bench >/dev/null
cmake --build --preset bench --target speed_bench
# shellcheck source=scripts/sound-server.sh
source scripts/sound-server.sh
ecolvar_sound_start
trap ecolvar_sound_stop EXIT
build/bench/bench/speed_bench "$@"
