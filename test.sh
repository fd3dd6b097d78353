#!/bin/sh
# Installs what is missing, builds, and runs every test headless; then builds and
# runs the suites once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# and builds and checks the Debian package.
set -eu
cd "$(dirname "$0")"
sh scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
XDG_RUNTIME_DIR="$(mktemp -d)"
chmod 700 "$XDG_RUNTIME_DIR"
export XDG_RUNTIME_DIR
trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT

jobs="$(nproc)"

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug
cmake --build build/test --parallel "$jobs"
ctest --test-dir build/test --output-on-failure --no-tests=error --timeout 300

cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DQUILLMERE_SANITIZE=ON
cmake --build build/sanitize --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/sanitize --output-on-failure --no-tests=error --timeout 600

# The Debian package the README's third command makes.
sh tests/package-check.sh
