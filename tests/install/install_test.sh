#!/usr/bin/env bash
# Installs a build tree into a fresh prefix and checks what lands there: the two programs, the
# help page, the desktop entry, the icon and the AppStream metadata (validated when the
# validators are present), and that the installed program answers --version and --help.
# Usage: install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

status=0
for f in bin/ecolvar bin/ecolvar-transcript share/ecolvar/help.html \
  share/applications/ecolvar.desktop share/icons/hicolor/scalable/apps/ecolvar.svg \
  share/metainfo/io.github.ecolvar.Ecolvar.metainfo.xml share/doc/ecolvar/LICENSE; do
  if [ ! -s "$prefix/$f" ]; then
    echo "missing after install: $f" >&2
    status=1
  fi
done

out=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/ecolvar" --version)
if [ "$out" != "Ecolvar $version" ]; then
  echo "ecolvar --version printed '$out', expected 'Ecolvar $version'" >&2
  status=1
fi
help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/ecolvar" --help)
if [[ "$help" != "Usage: ecolvar [options]"* || "$help" != *--version* ]]; then
  echo "ecolvar --help without a display printed: $help" >&2
  status=1
fi

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/ecolvar.desktop" | grep -v ': hint: ' >&2 \
    && status=1
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/io.github.ecolvar.Ecolvar.metainfo.xml" \
    >/dev/null || { echo "AppStream metadata does not validate" >&2; status=1; }
fi
exit "$status"
