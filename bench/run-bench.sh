#!/bin/sh
# Builds a release build and runs the thumbnail benchmark. Not part of the tests.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_TESTS=OFF
cmake --build build/release --parallel "$(nproc)" --target thumbnail_bench
./build/release/bench/thumbnail_bench
