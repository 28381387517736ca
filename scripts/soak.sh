#!/usr/bin/env bash
# Runs Brisco against brisco-sim with every line fault on for a while
# (default 600 s) and prints what was sent, decoded and dropped.
set -euo pipefail
cd "$(dirname "$0")/.."
# The alarms of these runs stay off the desktop's notifications.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
build=${BUILD_DIR:-build}
cmake --build "$build" --target soak_end_to_end brisco-sim Lumbrel >/dev/null
QT_QPA_PLATFORM=offscreen "$build/bin/soak_end_to_end" "${1:-600}" 2>/dev/null
