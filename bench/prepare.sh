#!/bin/sh
# What every benchmark script does first: installs the tools the benchmarks compare
# against, and builds the named targets of the release build in build/bench.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh bench
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --parallel "$(nproc)" --target "$@" >/dev/null
