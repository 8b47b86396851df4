#!/usr/bin/env bash
# Builds one libFuzzer target with clang in build-fuzz/ and runs it for the given seconds.
#   scripts/fuzz.sh TARGET SECONDS
# TARGET is a folder name under tests/data/fuzz/ (archive, ini_document, file_name_codec, cp932,
# asx, ram, m3u, rp, midi),
# with or without the fuzz_ prefix. The run starts on a copy of the seeds in
# build-fuzz/corpus/TARGET/, which keeps what the runs add; an input that breaks a property or
# crashes lands in build-fuzz/findings/TARGET/. tests/data/ is only read.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

usage() {
    echo "usage: scripts/fuzz.sh TARGET SECONDS" >&2
    echo "targets: $(cd "$root/tests/data/fuzz" && echo */ | tr -d /)" >&2
    exit 2
}
(($# == 2)) || usage
name=${1#fuzz_}
seconds=$2
seeds="$root/tests/data/fuzz/$name"
[[ -n "$name" && "$name" != */* && -d "$seeds" ]] || usage
[[ "$seconds" =~ ^[0-9]+$ ]] && ((seconds > 0)) || usage

# libFuzzer's runtime is only recommended by clang; llvm brings the symbolizer for the reports.
"$root/scripts/deps.sh" clang libclang-rt-dev llvm

build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUORVANE_FUZZ=ON >/dev/null
cmake --build "$build" --target "fuzz_$name" -j "$(nproc)"

corpus="$build/corpus/$name"
findings="$build/findings/$name"
mkdir -p "$corpus" "$findings"
cp "$seeds"/* "$corpus"/

options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
         -artifact_prefix="$findings/")

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
exec "$build/fuzz/fuzz_$name" "${options[@]}" "$corpus"
