#!/bin/sh
# Albums at scale: a tree of 10 years of 20 trips, each a folder of 100 small
# generated JPEGs (200 folders, 20,000 pictures), built with --albums at 4,000, 10,000
# and 20,000 of its pictures, with each build's time and peak memory; then an
# unchanged re-run of the whole tree, which is to take under 2 s. Not part of the
# tests.
set -eu
cd "$(dirname "$0")/.."
sh bench/prepare.sh load_bench quillmere
bench=./build/bench/bench/load_bench
program=$(pwd)/build/bench/quillmere

tree="${XDG_CACHE_HOME:-$HOME/.cache}/quillmere-bench/albums"
echo "generating 200 folders of 100 pictures in $tree (once)" >&2
for year in $(seq 2001 2010); do
    for trip in $(seq 1 20); do
        folder="$tree/all/$year/Trip $trip"
        [ -d "$folder" ] || "$bench" generate "$folder" 100 0.08 >/dev/null 2>&1
    done
done
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
: > "$out/settings.ini"
# Smaller trees of the same folders, by links to some of the years.
for years in 2 5; do
    mkdir -p "$out/tree-$years"
    for year in $(seq 2001 $((2000 + years))); do ln -s "$tree/all/$year" "$out/tree-$years/$year"; done
done

build() {
    /usr/bin/time -f "%e %M" "$program" --batch "$1" --output "$2" --albums --quiet --settings "$out/settings.ini" \
        > /dev/null 2> "$out/log" || true
    set -- $(tail -n 1 "$out/log")
    seconds=$1 peak=$(( $2 / 1024 ))
}
echo "pictures  seconds  per 1,000  peak MB"
for tree_and_count in "$out/tree-2 4000" "$out/tree-5 10000" "$tree/all 20000"; do
    set -- $tree_and_count
    build "$1" "$out/site-$2"
    echo "$2 $seconds $peak" | awk '{ printf "%8d %8.1f %10.2f %8d\n", $1, $2, $2 * 1000 / $1, $3 }'
done
build "$tree/all" "$out/site-20000"
echo "unchanged re-run of 20,000: $seconds s, peak $peak MB (target under 2 s)"
tail -n 2 "$out/log" | head -n 1
