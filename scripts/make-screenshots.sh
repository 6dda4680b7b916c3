#!/usr/bin/env bash
# Takes the README's pictures from the real program under Xvfb: the main
# window with the protective MBR and the GPT of the GPT test image decoded,
# and the dump request dialog.
# Usage: make-screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
cmake --build "$build" --target gui_screenshots
xvfb-run -a -s '-screen 0 1366x768x24' "$build/tests/gui/gui_screenshots" doc/screenshots tests/data/partition/gpt.bin
