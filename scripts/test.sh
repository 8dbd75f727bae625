#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh --tests
scripts/build.sh
cd build
# Side by side, two to a core: many tests spend their time waiting (on a
# server, a virtual X server, the program they started); none bounds a time
# tighter than ten times its quiet figure, so none needs to run alone.
# The end-to-end tests run once more in the program's first language, as a
# Japanese desktop starts it (their _ja twins, under ja_JP.UTF-8, which
# scripts/setup.sh --tests generates), in the same pool.
ctest --output-on-failure --timeout 1800 -j "$(( $(nproc) * 2 ))"
