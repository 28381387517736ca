#!/usr/bin/env bash
# Replays the seed corpus through the frame-scan fuzz target, then fuzzes for a
# fixed time on a scratch copy of it (the committed corpus does not grow).
# Usage: scripts/fuzz.sh SECONDS   (binary dir: $FUZZ_BUILD_DIR, default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:?usage: scripts/fuzz.sh SECONDS}"
build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"
fuzzer="$build_dir/fuzz/fuzz_frame_scan"

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh: clang++ not found, fuzzing skipped"
    exit 0
fi
if [ ! -x "$fuzzer" ]; then
    echo "fuzz.sh: $fuzzer not built (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
    exit 1
fi

echo "fuzz.sh: replaying fuzz/corpus"
"$fuzzer" -runs=0 fuzz/corpus/*

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cp fuzz/corpus/* "$scratch/"

echo "fuzz.sh: fuzzing for $seconds s"
# A crash leaves its input in fuzz/ (ignored by git) and fails this script.
"$fuzzer" -max_total_time="$seconds" -artifact_prefix=fuzz/ -print_final_stats=1 "$scratch"
