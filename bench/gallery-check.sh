#!/bin/sh
# The modern gallery page as visitors and Lighthouse judge it: builds the page of 24
# real photos (Debian's wallpapers, or the JPEGs of FOLDER) with the default settings
# but the modern style and its viewer, serves it over HTTP, has Lighthouse (from npm,
# in Debian's Chromium, as a phone) score it, and takes a desktop's, a phone's, a
# dark and a viewer screenshot into SCREENSHOTS (default: a temporary folder).
# Fails when accessibility, best practices or SEO is below 100, or performance
# below 95. Not part of the tests.
#   bench/gallery-check.sh [FOLDER] [SCREENSHOTS]
set -eu
cd "$(dirname "$0")/.."
sh bench/prepare.sh quillmere
(cd bench/gallery && npm ci --no-audit --no-fund --silent)
photos="${1:-/usr/share/backgrounds}"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
shots="${2:-$out/screenshots}"
mkdir -p "$out/photos"
find "$photos" -maxdepth 1 -iname '*.jpg' | sort | head -n 24 | while read -r photo; do cp "$photo" "$out/photos/"; done
printf '[HTML%%20Preferences]\nPage%%20Style=1\nPicture%%20Viewer=1\nPage%%20Title=Wallpapers\n' > "$out/settings.ini"
./build/bench/quillmere --batch "$out/photos" --output "$out/site" --settings "$out/settings.ini" 2>&1 | tail -n 1
node bench/gallery/check.mjs "$out/site" "$shots"
echo "screenshots in $shots"
