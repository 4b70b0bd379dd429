#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# a short while (FUZZ_SECONDS, default 15) from its seed corpus in
# fuzz/corpus/<target>/. New inputs go to a scratch directory; the
# repository's corpus is not changed. A crash, leak, sanitizer report or
# broken invariant fails the run and leaves the input in build-fuzz/crashes/.
#   scripts/fuzz-smoke.sh [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh clang libclang-rt-14-dev
seconds=${FUZZ_SECONDS:-15}
build_dir=${BUILD_DIR:-build-fuzz}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNVR_FUZZ=ON \
      -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" \
      -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only -DNDEBUG" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

crash_dir=$(pwd)/$build_dir/crashes
mkdir -p "$crash_dir"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for t in "$build_dir"/fuzz/fuzz_*; do
        [ -f "$t" ] && [ -x "$t" ] && targets+=("$(basename "$t")")
    done
fi

failed=0
passed=0
for name in "${targets[@]}"; do
    scratch=$(mktemp -d)
    log=$scratch/log
    seeds=fuzz/corpus/$name
    mkdir -p "$scratch/corpus"
    if "$build_dir/fuzz/$name" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
           -artifact_prefix="$crash_dir/$name-" "$scratch/corpus" $( [ -d "$seeds" ] && echo "$seeds" ) \
           >"$log" 2>&1; then
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
        echo "$name: ${runs:-?} executions in ${seconds} s (${rate:-?}/s), passed"
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "$name: FAILED"
        grep -v -E '^#[0-9]+ +(NEW|REDUCE|pulse|INITED|RELOAD)|NEW_FUNC' "$log" | tail -60
    fi
    rm -rf "$scratch"
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
