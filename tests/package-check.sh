#!/bin/sh
# Builds the Debian package and checks it: named by the project's version, holding
# the program, its help, desktop entry, icons, metainfo and manual page, depending
# on runtime libraries only (no -dev package), passing lintian without errors, with
# a valid metainfo file and desktop entry. Installing it needs root: see the README.
set -eu
cd "$(dirname "$0")/.."
sh package.sh >/dev/null
version=$(sed -n 's/^project(Quillmere VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
package="quillmere_${version}_$(dpkg --print-architecture).deb"
[ -f "$package" ] || { echo "missing: $package"; exit 1; }

contents=$(dpkg-deb -c "$package")
for file in usr/bin/quillmere usr/share/quillmere/Quillmere.hlp usr/share/applications/quillmere.desktop \
    usr/share/metainfo/com.fennmoor.Quillmere.metainfo.xml usr/share/icons/hicolor/scalable/apps/quillmere.svg \
    usr/share/icons/hicolor/256x256/apps/quillmere.png usr/share/man/man1/quillmere.1.gz \
    usr/share/doc/quillmere/copyright usr/share/doc/quillmere/changelog.gz; do
    echo "$contents" | grep -q " \./$file\$" || { echo "not in the package: $file"; exit 1; }
done

depends=$(dpkg-deb -f "$package" Depends)
if echo "$depends" | tr ',' '\n' | grep -q -- '-dev\b'; then
    echo "depends on a development package: $depends"
    exit 1
fi
for library in libqt6widgets6 libqt6gui6 libpng16-16 libtiff6 libheif1 qt6-qpa-plugins; do
    echo "$depends" | grep -q "$library" || { echo "does not depend on $library: $depends"; exit 1; }
done

lintian --fail-on error "$package"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$package" "$unpacked"
appstreamcli validate --no-net "$unpacked/usr/share/metainfo/com.fennmoor.Quillmere.metainfo.xml"
desktop-file-validate "$unpacked/usr/share/applications/quillmere.desktop"
echo "$package: made and valid"
