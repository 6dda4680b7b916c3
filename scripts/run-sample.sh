#!/usr/bin/env bash
# Installs what is missing, builds Trovik and opens the bundled sample disk
# image: in the desktop application when a display is there, else as the
# command line's partition table report.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
./scripts/make-sample.sh build/release/sample.img
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x build/release/src/app/trovik ]; then
  exec build/release/src/app/trovik build/release/sample.img
fi
exec build/release/src/trovik-dump --type mbr build/release/sample.img
