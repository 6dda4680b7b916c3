#!/usr/bin/env bash
# Takes the README's pictures from the real program under Xvfb: the main
# window with the protective MBR and the GPT of the GPT test image decoded,
# the dump request dialog, and the Structures panel mapping the sample disk.
# Usage: make-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
cmake --build "$build" --target gui_screenshots
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
scripts/make-sample.sh "$tmp/sample.img"
# Settings of their own: closing the windows stores their placement.
XDG_CONFIG_HOME="$tmp/config" xvfb-run -a -s '-screen 0 1366x768x24' "$build/tests/gui/gui_screenshots" doc/screenshots tests/data/partition/gpt.bin \
  "$tmp/sample.img"
