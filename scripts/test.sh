#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
scripts/build.sh
cd build
# Side by side, two to a core: many tests spend their time waiting (on a
# server, a virtual X server, the program they started); the one that must
# run alone says so in tests/CMakeLists.txt.
ctest --output-on-failure --timeout 900 -j "$(( $(nproc) * 2 ))"
