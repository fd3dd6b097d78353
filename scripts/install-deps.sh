#!/bin/sh
# Installs the Debian packages Quillmere needs to build, run and test, when missing;
# with the argument "bench", also the tools the benchmarks compare against and real
# photos (Debian's wallpapers) to compare on.
set -eu

PACKAGES="cmake g++ make qt6-base-dev qt6-image-formats-plugins fonts-dejavu-core \
libjpeg-dev libpng-dev libtiff-dev libheif-dev pkg-config xvfb xauth chromium chromium-driver desktop-file-utils \
dpkg-dev file lintian appstream"
if [ "${1:-}" = "bench" ]; then
    PACKAGES="$PACKAGES time libvips-tools imagemagick lomiri-wallpapers lomiri-wallpapers-16.04 lomiri-wallpapers-20.04 ukui-wallpapers"
    # Lighthouse for the gallery check comes from npm; any Node.js with npm will do.
    command -v npm >/dev/null 2>&1 || PACKAGES="$PACKAGES nodejs npm"
fi

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
