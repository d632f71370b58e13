#!/usr/bin/env bash
# Installs the Debian packages that Ecolvar needs to build, run and test, when they are missing.
# Prints one line when everything is already present.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config ninja-build clang-format
  # Qt 6: widgets, multimedia (audio output), SQL with SQLite, SVG icons
  qt6-base-dev qt6-multimedia-dev libqt6sql6-sqlite qt6-svg-dev qt6-qpa-plugins
  # audio decoding
  libsndfile1-dev libmpg123-dev
  # speed without a change of pitch
  librubberband-dev
  # tests
  libgtest-dev libgmock-dev
  # fixtures and headless runs
  sox lame xvfb xauth pulseaudio pulseaudio-utils fonts-wqy-microhei imagemagick
  # benchmarks and fuzzing
  libbenchmark-dev clang libclang-rt-14-dev espeak-ng
)

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
