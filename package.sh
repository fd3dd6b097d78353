#!/bin/sh
# Installs what is missing, builds the release build with Debian's hardening flags and
# writes the Debian package quillmere_<version>_<arch>.deb into this folder.
set -eu
cd "$(dirname "$0")"
sh scripts/install-deps.sh
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B build/package -DCMAKE_BUILD_TYPE=Release -DQUILLMERE_TESTS=OFF
cmake --build build/package --parallel "$(nproc)"
(cd build/package && cpack -G DEB)
for package in build/package/quillmere_*.deb; do
    cp "$package" .
    echo "Written: $(basename "$package")"
done
