#!/usr/bin/env bash
# A waiting request answered by the fake core: the core link's wait against
# the literal 40 ms polling. Prints medians and ratios.
#   bench/core_wait.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake --build "$build" --target bench_core_wait >/dev/null
"$build/bench/bench_core_wait" "${1:-40}"
