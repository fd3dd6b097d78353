#!/bin/sh
# Builds the libFuzzer targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# and runs each for FUZZ_SECONDS (default 180); FUZZ_TARGETS names a few of them
# (default all: targa pcx metafile bmp png tiff jpeg heif facts). Not part of the tests. Inputs that make
# a target fail are left in build/fuzz/artifacts/; keep them in tests/data/fuzz/ once
# the fault is fixed, where the test suites replay them. tests/data/fuzz/heif holds
# small HEIC and AVIF files as seeds: a HEIF file's boxes are too deep to be found
# from nothing.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh
for package in clang libclang-rt-14-dev; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$package"
done
CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLMERE_FUZZ=ON \
    -DQUILLMERE_SANITIZE=ON -DQUILLMERE_TESTS=OFF
targets="${FUZZ_TARGETS:-targa pcx metafile bmp png tiff jpeg heif facts}"
cmake --build build/fuzz --parallel "$(nproc)" --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

seconds="${FUZZ_SECONDS:-180}"
mkdir -p build/fuzz/artifacts
status=0
for target in $targets; do
    case $target in
        targa) samples=tga ;;
        metafile) samples=wmf ;;
        facts) samples=jpeg ;;
        *) samples=$target ;;
    esac
    corpus="build/fuzz/corpus/$target"
    mkdir -p "$corpus"
    [ -d "../shared/samples/$samples" ] && cp -n "../shared/samples/$samples"/* "$corpus"/ 2>/dev/null || true
    [ -d "tests/data/fuzz/$target" ] && cp -n "tests/data/fuzz/$target"/* "$corpus"/ 2>/dev/null || true
    echo "== fuzz_$target for $seconds s"
    QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 "./build/fuzz/bench/fuzz/fuzz_$target" "$corpus" \
        -max_total_time="$seconds" -rss_limit_mb=4096 -timeout=20 -max_len=262144 \
        -artifact_prefix="build/fuzz/artifacts/$target-" -print_final_stats=1 || status=1
done
exit $status
