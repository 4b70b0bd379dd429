#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/); webreq's CGI runs are
# instrumented too. Any report fails the test that caused it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
build_dir=${BUILD_DIR:-build-asan}
# Line tables are all the sanitizers' reports need, at a fraction of full
# debug information's compile time; -O1 compiles the instrumented tree a
# sixth faster than -O2. At -O1 GCC no longer sees the value ranges that show
# some bounded snprintf calls fit, and warns that they may be cut: those
# warnings are left to the native build, which makes them errors.
flags="-O1 -g1 -DNDEBUG -Wno-format-truncation"
BUILD_DIR=$build_dir bash scripts/build.sh -DNVR_SANITIZE=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$flags"
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cd "$build_dir"
ctest -j"$(nproc)" --output-on-failure --timeout 600
