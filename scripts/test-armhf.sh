#!/usr/bin/env bash
# The whole test suite on the 32-bit ARM build, under qemu-arm: installs the
# cross toolchain, the emulator and the target's -dev packages when missing,
# builds into build-armhf/ and runs every test. Prints the stripped size of
# the target's webreq.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh g++-arm-linux-gnueabihf binutils-arm-linux-gnueabihf qemu-user \
    libjson-c-dev:armhf libsqlite3-dev:armhf libssl-dev:armhf libgtest-dev:armhf libgmock-dev:armhf
build_dir=${BUILD_DIR:-build-armhf}
# No debug information in the ARM build: nothing debugs it here, and it nearly
# doubles the compile of every file (the -O2 and NDEBUG of the native build stay).
BUILD_DIR=$build_dir bash scripts/build.sh -DCMAKE_TOOLCHAIN_FILE=cmake/armhf.cmake \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG"
stripped=$(mktemp)
arm-linux-gnueabihf-strip -o "$stripped" "$build_dir/bin/webreq"
echo "webreq for armhf: $(stat -c %s "$build_dir/bin/webreq") bytes, stripped $(stat -c %s "$stripped") bytes"
rm -f "$stripped"
cd "$build_dir"
ctest -j"$(nproc)" --output-on-failure --timeout 1200
