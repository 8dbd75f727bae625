#!/usr/bin/env bash
# Installs what is missing, builds, and starts TORVIK.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec build/src/app/torvik
