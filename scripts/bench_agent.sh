#!/usr/bin/env bash
# Figures of brisco-agent against brisco-sim: resident memory and CPU with 3
# and with 20 controllers on one line, beside a program that only ticks every
# 250 ms, measured over the same minute; and how often one controller's
# status is read (from the simulator's record of its replies).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
seconds=${AGENT_SECONDS:-60}
cmake --build "$build" --target brisco-agent brisco-sim idle_timer >/dev/null
# A scratch folder, and what is started stopped on the way out.
. tests/e2e/script_common.sh

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss() { awk '/VmRSS/ { print $2 }' "/proc/$1/status"; }

run() {
    local count=$1 list
    list=$(seq -s, 1 "$count")
    "$build/bin/brisco-sim" --bus "$list" --seed 7 --stats-file "$scratch/stats$count" \
        >"$scratch/sim$count" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$scratch/sim$count" ] && break; sleep 0.1; done
    local pty
    pty=$(head -1 "$scratch/sim$count")
    "$build/bin/brisco-agent" --config /dev/null --line "bench=$pty@scan" \
        --records "$scratch/records$count" --web.listen-address 127.0.0.1:0 2>"$scratch/agent$count" &
    local agent=$!
    pids+=("$agent")
    "$build/bin/idle_timer" &
    local idle=$!
    pids+=("$idle")
    sleep 15 # found, and settled
    local a1 i1 a2 i2 hz
    a1=$(cpu_ticks "$agent")
    i1=$(cpu_ticks "$idle")
    local from
    from=$(awk 'END { print $1 }' "$scratch/stats$count")
    sleep "$seconds"
    a2=$(cpu_ticks "$agent")
    i2=$(cpu_ticks "$idle")
    hz=$(getconf CLK_TCK)
    awk -v c="$count" -v a="$((a2 - a1))" -v i="$((i2 - i1))" -v hz="$hz" -v s="$seconds" \
        -v ra="$(rss "$agent")" -v ri="$(rss "$idle")" 'BEGIN {
        printf "%2d controllers: agent %5.0f KiB resident, CPU %.2f %%;", c, ra, 100 * a / (hz * s)
        printf "  idle timer %5.0f KiB, CPU %.2f %%\n", ri, 100 * i / (hz * s) }'
    # The status replies of controller 1 after the settling: their spacing.
    awk -v from="$from" '$1 >= from && $2 == "status" && $3 == "good" && $5 == "01" {
        if (last) { print $1 - last } last = $1 }' "$scratch/stats$count" | sort -n |
        awk '{ d[NR] = $1 } END {
            printf "    controller 1 read every %.2f s (median of %d)\n", d[int((NR + 1) / 2)], NR }'
    kill -TERM "$agent" "$idle"
}

run 3
run 20
