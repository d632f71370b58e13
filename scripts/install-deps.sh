#!/usr/bin/env bash
# Installs the Debian packages that Ecolvar needs, when they are missing. Prints one line when
# everything is already present.
#   scripts/install-deps.sh          what building, packaging and running the program need
#   scripts/install-deps.sh --tests  that, plus what the tests and benchmarks need (test.sh)
set -euo pipefail

packages=(
  # build and package
  cmake g++ make pkg-config ninja-build dpkg-dev file
  # Qt 6: widgets, multimedia (audio output), SQL with SQLite, SVG icons, Qt's own Chinese texts
  qt6-base-dev qt6-multimedia-dev libqt6sql6-sqlite qt6-svg-dev qt6-qpa-plugins
  qt6-translations-l10n
  # audio decoding
  libsndfile1-dev libmpg123-dev
  # speed without a change of pitch; sample-rate conversion between the files of a list
  librubberband-dev libsamplerate0-dev
  # Chinese text on screen; a virtual display for machines without a desktop (xvfb-run)
  fonts-wqy-microhei xvfb xauth
)

test_packages=(
  # tests, formatting, the second compiler and the static checks (.clang-tidy)
  libgtest-dev libgmock-dev clang-format clang clang-tidy
  # fixtures, the sound server of the audio tests, screenshots, metadata validation
  sox lame pulseaudio pulseaudio-utils imagemagick appstream desktop-file-utils sqlite3
  # benchmarks and fuzzing
  libbenchmark-dev libclang-rt-14-dev
  # speech for the sentence-marks benchmark
  espeak-ng
)

case "${1:-}" in
  "") ;;
  --tests) packages+=("${test_packages[@]}") ;;
  *) echo "usage: $0 [--tests]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "install-deps: done"
