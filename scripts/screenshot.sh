#!/usr/bin/env bash
# Draws the README's pictures of the windows into docs/: the main window and
# the factory windows at once, then the trends, a session of SESSION_SECONDS
# (default 240) against brisco-sim for the events window, and its replay.
set -euo pipefail
cd "$(dirname "$0")/.."
# The alarms of these runs stay off the desktop's notifications.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
build=${BUILD_DIR:-build}
cmake --build "$build" --target shoot_main_form shoot_session
mkdir -p docs
QT_QPA_PLATFORM=offscreen "$build/bin/shoot_main_form" docs
QT_QPA_PLATFORM=offscreen "$build/bin/shoot_session" docs "${SESSION_SECONDS:-240}"
echo "wrote the pictures of the windows into docs/"
