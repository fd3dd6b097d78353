#!/bin/sh
# Times a real folder load of the program (headless, no arrangement) against
# vipsthumbnail (one process over all files) and ImageMagick's convert (one process
# per file), all making thumbnails in the same 93 x 97 box. Without a folder it uses
# 200 generated photos of 12 to 24 megapixels, kept in a cache folder between runs.
# With "memory" as the second argument it also loads 250, 500 and 1,000 thumbnails
# of 24-megapixel photos and 250 of 6-megapixel ones (links to a few generated
# photos) and prints the peak memory of each load. Not part of the tests.
set -eu
cd "$(dirname "$0")/.."
sh bench/prepare.sh load_bench
bench=./build/bench/bench/load_bench

cache="${XDG_CACHE_HOME:-$HOME/.cache}/quillmere-bench"
folder="${1:-}"
mode="${2:-}"
if [ -z "$folder" ]; then
    folder="$cache/photos"
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
    printf "target 1, throughput at least 1.5 x vipsthumbnail: %s (%.2f x vipsthumbnail, %.2f x convert)\n", (x / y >= 1.5 ? "met" : "NOT met"), x / y, x / z
    printf "target 3, largest UI gap at most 100 ms: %s (%d ms)\n", (gap <= 100 ? "met" : "NOT met"), gap
}'

[ "$mode" = "memory" ] || exit 0

# A folder of COUNT links, taken in turn from the photos of SOURCE.
links() {
    source=$1 count=$2 target=$3
    rm -rf "$target" && mkdir -p "$target"
    set -- "$source"/*.jpg
    i=0
    while [ "$i" -lt "$count" ]; do
        eval "file=\${$((i % $# + 1))}"
        ln -s "$file" "$target/$(printf 'photo-%05d.jpg' "$i")"
        i=$((i + 1))
    done
}
"$bench" generate "$cache/24mp" 20 24
"$bench" generate "$cache/6mp" 20 6
echo "memory: thumbnails  photo MP  peak RSS MB  largest UI gap ms"
for run in "1000 24mp" "500 24mp" "250 24mp" "250 6mp"; do
    set -- $run
    links "$cache/$2" "$1" "$out/links"
    set -- "$1" "$2" $("$bench" load "$out/links")
    printf 'memory: %10d  %8s  %11d  %17d\n' "$1" "${2%mp}" "$5" "$6"
    if [ "$1" = 1000 ]; then
        verdict="NOT met"; [ "$5" -le 300 ] && verdict=met
        thousand="target 2, 1,000 thumbnails of 24-megapixel photos in at most 300 MB: $verdict ($5 MB)"
    fi
done
echo "$thousand"

