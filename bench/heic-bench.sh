#!/bin/sh
# Phone photos in HEIC: times `quillmere --batch` over a folder of 30 generated
# phone-like HEICs (4032 x 3024, half of them turned by the file, each with a
# 320 x 240 thumbnail image, as phones write them) against vipsthumbnail making the
# thumbnails alone in the same 93 x 97 box, and the window program's folder load of
# the same files with its largest user-interface gap. Not part of the tests.
set -eu
cd "$(dirname "$0")/.."
sh bench/prepare.sh load_bench quillmere
bench=./build/bench/bench/load_bench
program=$(pwd)/build/bench/quillmere

folder="${XDG_CACHE_HOME:-$HOME/.cache}/quillmere-bench/heic"
echo "generating phone photos in $folder (once)" >&2
"$bench" generate-heic "$folder" 30
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
: > "$out/settings.ini"

now() { date +%s.%N; }
start=$(now)
"$program" --batch "$folder" --output "$out/site" --settings "$out/settings.ini" 2> "$out/batch.log"
batch_seconds=$(echo "$(now) $start" | awk '{ print $1 - $2 }')
start=$(now)
vipsthumbnail --size 93x97 -o "$out/v-%s.jpg" "$folder"/*.heic
vips_seconds=$(echo "$(now) $start" | awk '{ print $1 - $2 }')
set -- $("$bench" load "$folder")
loaded=$1 load_seconds=$2 gap=$4

echo "batch: $(tail -n 1 "$out/batch.log")"
awk -v b="$batch_seconds" -v v="$vips_seconds" -v n="$loaded" -v l="$load_seconds" -v gap="$gap" 'BEGIN {
    printf "heic: batch build %.2f s; vipsthumbnail, thumbnails alone, %.2f s (%.2f of its time); window load %d photos in %.2f s; largest UI gap %d ms\n", b, v, b / v, n, l, gap
    printf "target, batch build no slower than vipsthumbnail: %s\n", (b <= v ? "met" : "NOT met")
    printf "target, largest UI gap at most 100 ms: %s\n", (gap <= 100 ? "met" : "NOT met")
}'
