#!/usr/bin/env bash
# Configures and builds TORVIK into build/ (Ninja, release with debug info):
# every target, or the targets named (scripts/build.sh torvik).
set -euo pipefail
cd "$(dirname "$0")/.."
# TORVIK_BENCH=OFF leaves the benches out.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTORVIK_BENCH="${TORVIK_BENCH:-ON}" >/dev/null
if [ $# -gt 0 ]; then
  cmake --build build --target "$@"
else
  cmake --build build
fi
