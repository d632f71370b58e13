#!/usr/bin/env bash
# Installs what is missing, builds the debug preset (AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs every test headless. Exits non-zero when anything fails.
# ECOLVAR_PRESET=clang ./test.sh does the same with another preset (clang: warnings as errors).
set -euo pipefail
cd "$(dirname "$0")"

preset="${ECOLVAR_PRESET:-debug}"
./scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"

# shellcheck source=scripts/sound-server.sh
source scripts/sound-server.sh
ecolvar_sound_start
trap ecolvar_sound_stop EXIT

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"

status=0
log="build/$preset/ctest.log"
ctest --preset "$preset" -j2 --timeout 600 "$@" >"$log" 2>&1 || status=$?
ecolvar_sound_stop
trap - EXIT
# CTest's output, its summary last.
cat "$log"
exit "$status"
