#!/usr/bin/env bash
# Non-blank lines of C++: the tests (tests/ and fuzz/) against all other C++,
# and against the program's code alone, without the developer tools of tools/.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | grep -cv '^\s*$'; }
tests=$(count tests fuzz)
tools=$(count tools)
code=$(count $(ls -d */ | tr -d / | grep -vxE 'tests|fuzz|tools|build.*|docs|scripts'))
awk -v t="$tests" -v c="$code" -v o="$tools" 'BEGIN {
    printf "tests %d, all other C++ %d (tools %d): tests are %.1f %% of it\n", t, c + o, o, 100 * t / (c + o)
    printf "without the tools: tests are %.1f %% of %d lines\n", 100 * t / c, c }'
