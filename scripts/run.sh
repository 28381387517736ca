#!/usr/bin/env bash
# Starts Brisco. Unless BRISCO_COM1 names a device, the virtual controller
# brisco-sim stands behind "COM1" and ends with the program; BUS=1,3,7 puts
# a controller at each of these addresses on its line instead. Without a
# display, the same runs under a virtual one: "OpenComm" is pressed as an
# operator would press it, and a screenshot of live data is written.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${BUILD_DIR:-build}/bin

sim_pid=
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill -TERM "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

if [ -z "${BRISCO_COM1:-}" ]; then
    # Six seconds of silence a minute show how a link that stops answering looks.
    exec 3< <(exec "$bin/brisco-sim" --silence 6 --silence-period 60 ${BUS:+--bus "$BUS"})
    sim_pid=$!
    read -r device <&3
    export BRISCO_COM1=$device
    echo "brisco-sim is the controller behind COM1 ($device)${BUS:+, with controllers at $BUS: press OpenComm, then Scan bus}."
    echo "For a real controller: BRISCO_COM1=/dev/ttyUSB0 $bin/brisco (see README)."
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    "$bin/brisco"
    exit
fi

shot=${SCREENSHOT:-$PWD/build/brisco-live.png}
echo "No display: running under xvfb-run; pressing OpenComm and taking a screenshot."
export bin shot
xvfb-run -a -s '-screen 0 1280x1024x24' bash -c '
    set -euo pipefail
    "$bin/brisco" &
    pid=$!
    window=$(xdotool search --sync --onlyvisible --name "Brisco" | head -1)
    xdotool windowmove --sync "$window" 0 0
    # The port scan runs on the first ticks; then the focused OpenComm button
    # is pressed with the space bar.
    sleep 1
    xdotool windowfocus --sync "$window" key --window "$window" space
    sleep 10
    import -window root -crop "$(xdotool getwindowgeometry "$window" | awk "/Geometry/ {print \$2}")+0+0" "$shot"
    kill -TERM "$pid"
    wait "$pid"
'
echo "screenshot: $shot"
