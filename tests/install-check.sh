#!/bin/sh
# Installs the build into a fresh prefix and checks that the program, its help, its
# desktop entry (valid) and its icons land where a desktop finds them.
set -eu
build="$1"
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in bin/quillmere share/quillmere/Quillmere.hlp share/applications/quillmere.desktop \
    share/icons/hicolor/scalable/apps/quillmere.svg; do
    [ -f "$prefix/$file" ] || { echo "missing: $file"; exit 1; }
done
for size in 16 22 24 32 48 64 128 256; do
    [ -s "$prefix/share/icons/hicolor/${size}x$size/apps/quillmere.png" ] || { echo "missing icon: $size"; exit 1; }
done
desktop-file-validate "$prefix/share/applications/quillmere.desktop"
grep -q '^Exec=quillmere %F$' "$prefix/share/applications/quillmere.desktop"
echo "installed and valid"
