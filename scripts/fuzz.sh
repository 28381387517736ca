#!/usr/bin/env bash
# Replays the seed corpus of every fuzz target, then fuzzes each for a fixed
# time on a scratch copy of its corpus (the committed corpus does not grow).
# Target fuzz_<name> takes its seeds from fuzz/corpus/<name>/.
# Usage: scripts/fuzz.sh SECONDS   (per target; binary dir: $FUZZ_BUILD_DIR, default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:?usage: scripts/fuzz.sh SECONDS}"
build_dir="${FUZZ_BUILD_DIR:-build-fuzz}"

if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz.sh: clang++ not found, fuzzing skipped"
    exit 0
fi

for corpus in fuzz/corpus/*/; do
    name="$(basename "$corpus")"
    fuzzer="$build_dir/fuzz/fuzz_$name"
    if [ ! -x "$fuzzer" ]; then
        echo "fuzz.sh: $fuzzer not built (cmake --preset fuzz && cmake --build --preset fuzz)" >&2
        exit 1
    fi

    echo "fuzz.sh: replaying $corpus through fuzz_$name"
    "$fuzzer" -runs=0 "$corpus"*

    scratch="$(mktemp -d)"
    cp "$corpus"* "$scratch/"
    echo "fuzz.sh: fuzzing fuzz_$name for $seconds s"
    # A crash leaves its input in fuzz/ (ignored by git) and fails this script.
    "$fuzzer" -max_total_time="$seconds" -artifact_prefix="fuzz/$name-" -print_final_stats=1 \
        "$scratch"
    rm -rf "$scratch"
done
