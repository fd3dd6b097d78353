#!/bin/sh
# Sharpness of thumbnails on real photos (the JPEG wallpapers Debian ships, or the
# JPEGs of FOLDER): each 93 x 97 thumbnail, the program's and vipsthumbnail's, is
# compared as PNG with ImageMagick's Lanczos scaling of the fully decoded photo to the
# same size. Prints the PSNR of both for every photo, their means, and whether the
# program stays within 1 dB of vips on average and 3 dB on every photo. Not part of
# the tests.
set -eu
cd "$(dirname "$0")/.."
sh bench/prepare.sh imageprobe
photos="${1:-/usr/share/backgrounds}"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
./build/bench/bench/imageprobe --thumb "$out/program" "$photos"/*.jpg > /dev/null

psnr() {  # thumbnail, photo
    convert "$2" -auto-orient -filter Lanczos -resize "$(identify -format '%wx%h' "$1")!" "$out/reference.png"
    compare -metric PSNR "$1" "$out/reference.png" null: 2>&1 || true
}
for photo in "$photos"/*.jpg; do
    name=$(basename "$photo")
    vipsthumbnail "$photo" --size 93x97 -o "$out/vips.png" 2>/dev/null
    echo "$name $(psnr "$out/program/$name.png" "$photo") $(psnr "$out/vips.png" "$photo")"
done | awk '{
    printf "%-48s program %6.2f dB  vips %6.2f dB\n", $1, $2, $3
    n++; p += $2; v += $3; if ($3 - $2 > worst) { worst = $3 - $2; which = $1 }
} END {
    printf "sharpness: %d photos, mean PSNR program %.2f dB, vipsthumbnail %.2f dB; largest gap %.2f dB (%s)\n", n, p / n, v / n, worst, which
    printf "target, mean within 1 dB of vips and no photo more than 3 dB below: %s\n", (v / n - p / n <= 1 && worst <= 3 ? "met" : "NOT met")
}'
