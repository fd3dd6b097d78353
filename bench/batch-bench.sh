#!/bin/sh
# Times `quillmere --batch` building a site from a folder of 500 photos (links to the
# 200 generated photos of load-bench.sh, 12 to 24 megapixels), then the same build
# again over the unchanged folder, which is to take under a tenth of the time, and
# vipsthumbnail making the thumbnails alone of the same files in the same 93 x 97 box;
# the whole first build is to take at most 0.70 of that. Prints both summaries and the
# verdicts. Not part of the tests.
set -eu
cd "$(dirname "$0")/.."
sh bench/prepare.sh load_bench quillmere
bench=./build/bench/bench/load_bench
program=$(pwd)/build/bench/quillmere

cache="${XDG_CACHE_HOME:-$HOME/.cache}/quillmere-bench"
"$bench" generate "$cache/photos" 200
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/photos"
set -- "$cache"/photos/*.jpg
i=0
while [ "$i" -lt 500 ]; do
    eval "file=\${$((i % $# + 1))}"
    ln -s "$file" "$out/photos/$(printf 'photo %03d.jpg' "$i")"
    i=$((i + 1))
done
: > "$out/settings.ini"

now() { date +%s.%N; }
run() {
    start=$(now)
    "$program" --batch "$out/photos" --output "$out/site" --settings "$out/settings.ini" 2> "$out/$1.log"
    echo "$(now) $start" | awk '{ print $1 - $2 }'
}
first=$(run first)
second=$(run second)
start=$(now)
vipsthumbnail --size 93x97 -o "$out/v-%s.jpg" "$out"/photos/*.jpg
vips=$(echo "$(now) $start" | awk '{ print $1 - $2 }')
echo "first build:  $(tail -n 1 "$out/first.log")"
echo "second build: $(tail -n 1 "$out/second.log")"
awk -v a="$first" -v b="$second" -v v="$vips" 'BEGIN {
    printf "batch: first %.2f s, unchanged re-run %.3f s (%.1f %% of the first); vipsthumbnail %.2f s (first build %.2f of it)\n", a, b, 100 * b / a, v, a / v
    printf "target, re-run under a tenth of the first build: %s\n", (b < a / 10 ? "met" : "NOT met")
    printf "target, first build at most 0.70 of vipsthumbnail: %s\n", (a / v <= 0.70 ? "met" : "NOT met")
}'
