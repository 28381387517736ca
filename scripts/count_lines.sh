#!/usr/bin/env bash
# Non-blank lines of C++: tests (tests/ and fuzz/) against the rest, and the
# developer tools of tools/ on their own.
set -euo pipefail
cd "$(dirname "$0")/.."
count() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | grep -cv '^\s*$'; }
tests=$(count tests fuzz)
tools=$(count tools)
code=$(count $(ls -d */ | tr -d / | grep -vxE 'tests|fuzz|tools|build.*|docs|scripts'))
awk -v t="$tests" -v c="$code" -v o="$tools" 'BEGIN {
    printf "tests %d, code %d: tests are %.1f %% of the code\n", t, c, 100 * t / c
    printf "tools %d; counted as tests: %.1f %%\n", o, 100 * (t + o) / c }'
