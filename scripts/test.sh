#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
# The console's browser test drives Debian's chromium headless.
bash scripts/install-deps.sh chromium chromium-driver python3-selenium
bash scripts/build.sh
cd "${BUILD_DIR:-build}"
ctest -j"$(nproc)" --output-on-failure --timeout 300
