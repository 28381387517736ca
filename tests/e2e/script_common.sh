# What the end-to-end scripts share: a scratch folder, the processes started
# (in pids) stopped on the way out, also on failure, a failure that shows the
# logs, free ports of 127.0.0.1 and waiting for a condition.
# Sourced; the script sets `set -euo pipefail` itself.
scratch=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for log in "$scratch"/*.log; do echo "--- $log" >&2; tail -20 "$log" >&2; done
    exit 1
}
# Fails unless every tool named is installed.
need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || fail "$tool is not installed (make test installs it)"
    done
}
free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}
# Waits up to $1 seconds for the command after it to succeed.
within() {
    local seconds=$1
    shift
    for ((i = 0; i < seconds * 5; i++)); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
