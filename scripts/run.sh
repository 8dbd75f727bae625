#!/usr/bin/env bash
# Installs what is missing, builds, and starts TORVIK.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# Only the program (its help file is copied beside it): the tests and benches
# are built by scripts/test.sh.
scripts/build.sh torvik
exec build/src/app/torvik
