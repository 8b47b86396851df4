#!/usr/bin/env bash
# Configures and builds into the folder given first. "--target NAME" right after it builds that
# target alone (and what it needs); the remaining arguments go to CMake.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$1
shift
target=()
if [[ ${1:-} == --target ]]; then
    target=(--target "$2")
    shift 2
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j "$(nproc)" "${target[@]}"
