#!/usr/bin/env bash
# Draws the README's pictures of the main window into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake --build "$build" --target shoot_main_form
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build/bin/shoot_main_form" docs
echo "wrote the pictures of the windows into docs/"
