#!/usr/bin/env bash
# Installs what is missing, builds the release preset, lays out the program directory
# build/Ecolvar/ and starts Ecolvar there.
set -euo pipefail
cd "$(dirname "$0")"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Ecolvar needs a desktop session; without one, run: xvfb-run ./run.sh" >&2
  exit 1
fi

./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release

app=build/Ecolvar
mkdir -p "$app/mpl" "$app/txt"
for exe in build/release/src/*/ecolvar build/release/src/*/ecolvar-*; do
  [ -f "$exe" ] && [ -x "$exe" ] && cp -f "$exe" "$app/"
done
cp -f src/app/help.html "$app/help.html"

cd "$app"
exec ./ecolvar "$@"
