#!/usr/bin/env bash
# Builds the Debian package: build-package/quorvane_<version>_<arch>.deb (a release build, without
# the tests and benchmarks).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-package"
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DQUORVANE_TESTS=OFF
cd "$build"
cpack -G DEB
ls "$build"/quorvane_*.deb
