#!/bin/sh
# Times a real folder load of the program (headless, no arrangement) against
# vipsthumbnail (one process over all files) and ImageMagick's convert (one process
# per file), all making thumbnails in the same 93 x 97 box. Without a folder it uses
# 200 generated photos of 12 to 24 megapixels, kept in a cache folder between runs.
# Not part of the tests.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh bench
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --parallel "$(nproc)" --target load_bench >/dev/null
bench=./build/bench/bench/load_bench

folder="${1:-}"
if [ -z "$folder" ]; then
    folder="${XDG_CACHE_HOME:-$HOME/.cache}/quillmere-bench/photos"
    echo "generating photos in $folder (once)" >&2
    "$bench" generate "$folder" 200
fi
folder=$(cd "$folder" && pwd)

now() { date +%s.%N; }

set -- $("$bench" load "$folder")
loaded=$1 load_seconds=$2 peak=$3 gap=$4

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
list="$out/files"
find "$folder" -maxdepth 1 -type f ! -name '.*' | sort > "$list"
files=$(wc -l < "$list")

start=$(now)
tr '\n' '\0' < "$list" | xargs -0 vipsthumbnail --size 93x97 -o "$out/v-%s.jpg" 2>/dev/null || true
vips_seconds=$(echo "$(now) $start" | awk '{ print $1 - $2 }')

start=$(now)
while IFS= read -r file; do
    convert -define jpeg:size=186x194 "$file" -thumbnail 93x97 "$out/c-$(basename "$file").jpg" 2>/dev/null || true
done < "$list"
convert_seconds=$(echo "$(now) $start" | awk '{ print $1 - $2 }')

awk -v n="$loaded" -v ls="$load_seconds" -v f="$files" -v vs="$vips_seconds" -v cs="$convert_seconds" \
    -v peak="$peak" -v gap="$gap" 'BEGIN {
    x = n / ls; y = f / vs; z = f / cs
    printf "load: %d images, %.1f img/s; vipsthumbnail %.1f img/s; convert %.1f img/s; ratio X/Y %.2f; peak RSS %d MB; largest UI gap %d ms\n", n, x, y, z, x / y, peak, gap
}'
