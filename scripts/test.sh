#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
scripts/build.sh
cd build
# Side by side on every core (the tests that need the screen or a quiet
# machine say so in tests/CMakeLists.txt).
ctest --output-on-failure --timeout 900 -j "$(nproc)"
