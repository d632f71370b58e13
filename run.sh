#!/usr/bin/env bash
# Installs what is missing, builds the release preset, lays out the program directory Ecolvar/
# at the top of the checkout and starts Ecolvar there. The learner's data (mpl/, txt/, vek.db)
# lives in that directory, outside build/, so a rebuild or `rm -rf build` never touches it.
# Arguments go to ecolvar (for example --quit-after 3000).
set -euo pipefail
cd "$(dirname "$0")"

./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release

app=Ecolvar
# Earlier versions kept the program directory, data and all, inside build/.
if [ -d build/Ecolvar ] && [ ! -e "$app" ]; then
  echo "run.sh: moving the program directory build/Ecolvar/ to $app/"
  mv build/Ecolvar "$app"
fi
mkdir -p "$app/mpl" "$app/txt"
for exe in build/release/src/*/ecolvar build/release/src/*/ecolvar-*; do
  if [ -f "$exe" ] && [ -x "$exe" ]; then
    cp --remove-destination "$exe" "$app/"
  fi
done
cp -f src/app/help.html "$app/help.html"
# The marker of a portable layout: the program keeps its data beside the executable.
touch "$app/ecolvar.portable"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: Ecolvar is ready in $app/, but this session has no display." >&2
  echo "run.sh: start it with a virtual one: xvfb-run -a ./run.sh" >&2
  exit 1
fi

cd "$app"
exec ./ecolvar "$@"
