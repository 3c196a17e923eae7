#!/usr/bin/env bash
# Renders the main window, the floating window, the tray menu and the options
# dialog in the skin 青涩年华 and once more in 黑色金属, the window 资费比较, and a
# report page, under Xvfb into docs/screenshots/*.png, the pictures the README shows.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --test
cmake -S . -B build -DCMAKE_BUILD_TYPE=Debug > /dev/null
cmake --build build -j2 --target render_screenshots
mkdir -p docs/screenshots
xvfb-run -a -s "-screen 0 1280x800x24" build/tests/gui/render_screenshots docs/screenshots
