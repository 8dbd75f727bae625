#!/usr/bin/env bash
# Builds the Debian package: build-package/torvik_3.03-1_<arch>.deb (a release
# build of the program alone, installed under /usr).
#   sudo apt install ./build-package/torvik_3.03-1_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build-package --target torvik
(cd build-package && cpack -G DEB)
ls build-package/torvik_*.deb
