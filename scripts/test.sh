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
ctest --output-on-failure --timeout 1800 -j "$(( $(nproc) * 2 ))"
# Once more in the program's first language, as a Japanese desktop starts
# it: the end-to-end tests, with the program, the servers and the tools they
# start, under ja_JP.UTF-8 (scripts/setup.sh --tests generates the locale).
env -u LC_ALL -u LC_MESSAGES -u LANGUAGE LANG=ja_JP.UTF-8 \
  ctest --output-on-failure --timeout 1800 -j "$(( $(nproc) * 2 ))" -L e2e
