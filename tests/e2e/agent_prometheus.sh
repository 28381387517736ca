#!/usr/bin/env bash
# brisco-agent against brisco-sim --bus 1,3,7 over a pseudo-terminal, scraped
# once a second by a real Prometheus server: Prometheus's HTTP API gives the
# inner temperature of controller 3 that the simulator sent, promtool finds
# the agent's scrape well formed, SIGTERM ends the agent at once with its
# day's recording whole, a restart appends to it, and once the simulator is
# gone every controller reads as down. Everything listens on 127.0.0.1 only,
# on ports that were free, and is stopped on the way out, also on failure.
#
# Usage: tests/e2e/agent_prometheus.sh BIN_DIR
set -euo pipefail
bin=$1
. "$(dirname "$0")/script_common.sh"
need prometheus promtool curl python3
# The values of a query's result, one a line.
query() {
    local answer
    answer=$(curl -sfG "http://127.0.0.1:$prometheus_port/api/v1/query" \
        --data-urlencode "query=$1") || return 0
    python3 -c 'import json, sys
for series in json.loads(sys.argv[1])["data"]["result"]: print(series["value"][1])' "$answer"
}

"$bin/brisco-sim" --bus 1,3,7 --seed 11 --link "$scratch/tty" --stats-file "$scratch/stats" \
    >"$scratch/sim.out" 2>"$scratch/sim.log" &
sim=$!
pids+=("$sim")
within 10 test -L "$scratch/tty" || fail "the simulator did not start"

agent_port=$(free_port)
start_agent() {
    "$bin/brisco-agent" --config /dev/null --line "site=$scratch/tty@1,3,7" \
        --web.listen-address "127.0.0.1:$agent_port" --records "$scratch/records" \
        2>>"$scratch/agent.log" &
    agent=$!
    pids+=("$agent")
}
# SIGTERM: ended within a second, with status 0.
stop_agent() {
    kill -TERM "$agent"
    within 1 bash -c "! kill -0 $agent 2>/dev/null" || fail "the agent did not end within a second"
    wait "$agent" || fail "the agent ended with status $? on SIGTERM"
}
day=$scratch/records/site/$(date +%F).csv
# The rows of each controller in the day's file, and its headers.
recorded() {
    python3 -c 'import collections, csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding="utf-8-sig")))
heads = sum(1 for r in rows if r and r[0].startswith("Time (Brisco recording 3)"))
count = collections.Counter(r[1] for r in rows[1:] if len(r) > 2)
print(heads, " ".join("%s:%d" % (a, count[a]) for a in sorted(count, key=int)))' "$day"
}
start_agent
metrics() { curl -sf "http://127.0.0.1:$agent_port/metrics"; }
within 30 bash -c "curl -sf http://127.0.0.1:$agent_port/metrics | grep -q 'sensor=\"inner\"'" ||
    fail "the agent shows no temperature"
# A second agent on the address in use: refused at start, nothing opened.
status=0
"$bin/brisco-agent" --config /dev/null --line "other=$scratch/none@1" \
    --web.listen-address "127.0.0.1:$agent_port" 2>"$scratch/second.log" || status=$?
[ "$status" = 2 ] && grep -q "in use" "$scratch/second.log" ||
    fail "a second agent on 127.0.0.1:$agent_port: status $status, $(cat "$scratch/second.log")"
metrics >"$scratch/scrape"
promtool check metrics <"$scratch/scrape" || fail "promtool check metrics: $(promtool check metrics <"$scratch/scrape" 2>&1)"
echo "promtool check metrics: the scrape is well formed"

prometheus_port=$(free_port)
cat >"$scratch/prometheus.yml" <<YAML
global:
  scrape_interval: 1s
  evaluation_interval: 1s
scrape_configs:
  - job_name: brisco
    static_configs:
      - targets: ["127.0.0.1:$agent_port"]
YAML
prometheus --config.file="$scratch/prometheus.yml" --storage.tsdb.path="$scratch/tsdb" \
    --web.listen-address="127.0.0.1:$prometheus_port" --log.level=warn \
    2>"$scratch/prometheus.log" &
pids+=($!)

inner='brisco_controller_temperature_celsius{line="site",address="3",sensor="inner"}'
within 60 bash -c "$(declare -f query); prometheus_port=$prometheus_port; [ -n \"\$(query '$inner')\" ]" ||
    fail "Prometheus has no inner temperature of controller 3"
seen=$(query "$inner")
# Byte 25 of a status reply is the inner temperature, in half degrees from -40.
sent=$(python3 -c 'import sys
for line in open(sys.argv[1]):
    w = line.split()
    if len(w) > 30 and w[1:3] == ["status", "good"] and w[4] == "03":
        print("%g" % ((int(w[28], 16) - 80) / 2))' "$scratch/stats" | sort -u)
grep -qxF "$seen" <<<"$sent" || fail "Prometheus shows $seen °C, the simulator sent: $sent"
echo "Prometheus: controller 3 at $seen °C inside, as the simulator sent"

stop_agent
[ "$(tail -c1 "$day" | od -An -c | tr -d ' ')" = '\n' ] || fail "the day's file ends in a cut row"
before=$(recorded)
[[ $before =~ ^1\ 1:[0-9]+\ 3:[0-9]+\ 7:[0-9]+$ ]] || fail "the day's file holds: $before"
start_agent
grown() { [ "$(recorded)" != "$before" ]; }
within 30 bash -c "$(declare -f recorded grown); day=$day; before='$before'; grown" ||
    fail "the restarted agent does not add to the day's file"
echo "recording: $before (one header, rows by address), continued after a restart: $(recorded)"

kill -TERM "$sim"
wait "$sim" 2>/dev/null || true
down() { [ "$(query 'brisco_controller_up{line="site"} == 0' | wc -l)" = 3 ]; }
within 60 bash -c "$(declare -f query down); prometheus_port=$prometheus_port; down" ||
    fail "the controllers do not read as down: $(query 'brisco_controller_up')"
echo "Prometheus: controllers 1, 3 and 7 down once the simulator is gone"
stop_agent
[[ $(recorded) == 1\ * ]] || fail "a second header in the day's file: $(recorded)"
