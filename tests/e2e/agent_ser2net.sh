#!/usr/bin/env bash
# brisco-agent on controllers behind ser2net: brisco-sim --bus 1,3,7 on a
# pseudo-terminal, ser2net in front of it with telnet and RFC 2217, the agent
# on rfc2217://127.0.0.1:PORT. Its metrics show the three controllers; with
# ser2net stopped they read as down and the agent says once that the line
# went away; with ser2net started again on the same port the agent comes back
# by itself. Only 127.0.0.1, on ports that were free; everything stopped on
# the way out, also on failure.
#
# Usage: tests/e2e/agent_ser2net.sh BIN_DIR
set -euo pipefail
bin=$1
. "$(dirname "$0")/script_common.sh"
need ser2net curl python3

"$bin/brisco-sim" --bus 1,3,7 --seed 5 --link "$scratch/tty" >"$scratch/sim.out" 2>"$scratch/sim.log" &
pids+=($!)
within 10 test -L "$scratch/tty" || fail "the simulator did not start"

server_port=$(free_port)
cat >"$scratch/ser2net.yaml" <<YAML
connection: &line
  accepter: telnet(rfc2217),tcp,127.0.0.1,$server_port
  connector: serialdev,$(readlink "$scratch/tty"),9600n81,local
YAML
start_ser2net() {
    ser2net -n -d -c "$scratch/ser2net.yaml" -P "$scratch/ser2net.pid" 2>>"$scratch/ser2net.log" &
    ser2net_pid=$!
    pids+=("$ser2net_pid")
    within 10 bash -c "exec 3<>/dev/tcp/127.0.0.1/$server_port" 2>/dev/null ||
        fail "ser2net does not listen"
}
start_ser2net

agent_port=$(free_port)
"$bin/brisco-agent" --config /dev/null --line "site=rfc2217://127.0.0.1:$server_port@1,3,7" \
    --web.listen-address "127.0.0.1:$agent_port" --records "$scratch/records" \
    2>"$scratch/agent.log" &
pids+=($!)
# "address:up" of each controller on /metrics.
ups() {
    curl -sf "http://127.0.0.1:$agent_port/metrics" |
        sed -n 's/^brisco_controller_up{line="site",address="\([0-9]*\)",.*} \([01]\)$/\1:\2/p' |
        tr '\n' ' '
}
all() { [ "$(ups)" = "$1" ]; }
within 30 bash -c "$(declare -f ups all); agent_port=$agent_port; all '1:1 3:1 7:1 '" ||
    fail "the controllers behind ser2net do not answer: $(ups)"
within 10 bash -c "curl -sf http://127.0.0.1:$agent_port/metrics | grep -q 'address=\"7\".*sensor=\"inner\"'" ||
    fail "no temperature of the controllers behind ser2net"
echo "agent: controllers 1, 3 and 7 answer through ser2net (RFC 2217)"

kill -TERM "$ser2net_pid"
wait "$ser2net_pid" 2>/dev/null || true
within 30 bash -c "$(declare -f ups all); agent_port=$agent_port; all '1:0 3:0 7:0 '" ||
    fail "the controllers do not read as down without ser2net: $(ups)"
echo "agent: down without ser2net"
start_ser2net
within 40 bash -c "$(declare -f ups all); agent_port=$agent_port; all '1:1 3:1 7:1 '" ||
    fail "the agent did not come back by itself: $(ups)"
[ "$(grep -c 'went away' "$scratch/agent.log")" = 1 ] ||
    fail "the loss of the line is not told once: $(cat "$scratch/agent.log")"
echo "agent: back by itself once ser2net listens again; the loss told once"
