#!/usr/bin/env bash
# Figures: bytes per second through the frame scan, the cost of one tick that
# decodes a status reply (also while recording, to a normal disk and to one
# that takes 500 ms a write), the redraw of the trends window (jumping
# values, a sensor that flaps, event marks) and its memory with one and with
# twenty controllers, the replay of a day's recording, the bus against
# brisco-sim (the scan of 20 addresses, how often a row is refreshed with 3
# and with 20 controllers, the tick with the bus window open), the agent's
# metrics with 60 controllers (render, publish and GET /metrics), a line
# through ser2net, and, of the running program under a virtual display, the
# time from start to the shown main window, resident memory when idle and
# CPU use over 30 s of idle ticking.
set -euo pipefail
cd "$(dirname "$0")/.."
# The alarms of these runs stay off the desktop's notifications.
export DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent
build=${BUILD_DIR:-build}
idle_seconds=${IDLE_SECONDS:-30}
if [ "${1:-}" != --inside-display ]; then
    cmake --build "$build" --target brisco bench_scan bench_tick bench_trends bench_replay bench_bus \
        bench_metrics bench_network >/dev/null
    "$build/bin/bench_scan"
    QT_QPA_PLATFORM=offscreen "$build/bin/bench_tick" 2>/dev/null
    QT_QPA_PLATFORM=offscreen "$build/bin/bench_trends" redraw 2>/dev/null
    for controllers in 1 20; do
        QT_QPA_PLATFORM=offscreen "$build/bin/bench_trends" memory "$controllers" 2>/dev/null
    done
    QT_QPA_PLATFORM=offscreen "$build/bin/bench_replay" 2>/dev/null
    QT_QPA_PLATFORM=offscreen "$build/bin/bench_bus" "${BUS_SECONDS:-60}" 2>/dev/null
    "$build/bin/bench_metrics"
    QT_QPA_PLATFORM=offscreen "$build/bin/bench_network" 500 "${NETWORK_SECONDS:-20}" 2>/dev/null
fi

measure() {
    local program=$build/bin/brisco
    local start end pid
    start=$(date +%s.%N)
    "$program" >/dev/null 2>&1 &
    pid=$!
    xdotool search --sync --onlyvisible --name 'Brisco' >/dev/null
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { printf "start to shown main window: %.0f ms\n", (b - a) * 1000 }'
    sleep 3
    local ticks=$(getconf CLK_TCK)
    read -r u1 s1 < <(awk '{print $14, $15}' "/proc/$pid/stat")
    sleep "$idle_seconds"
    read -r u2 s2 < <(awk '{print $14, $15}' "/proc/$pid/stat")
    echo "resident memory when idle: $(awk '/VmRSS/ {print $2, $3}' "/proc/$pid/status")"
    awk -v d="$((u2 + s2 - u1 - s1))" -v t="$ticks" -v s="$idle_seconds" \
        'BEGIN { printf "CPU over %d s idle: %.2f %%\n", s, 100 * d / (t * s) }'
    kill -TERM "$pid"
    wait "$pid" && echo "SIGTERM: closed normally (exit 0)" || echo "SIGTERM: exit $?"
}
if [ "${1:-}" = --inside-display ]; then
    measure
else
    xvfb-run -a -s '-screen 0 1280x1024x24' "$0" --inside-display
fi
