#!/bin/sh
# Installs what is missing, builds a release build and starts Quillmere.
set -eu
cd "$(dirname "$0")"
sh scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_TESTS=OFF
cmake --build build/release --parallel "$(nproc)"
exec ./build/release/quillmere "$@"
