#!/usr/bin/env bash
# Builds the Debian packages of poiguard into dist/: amd64 natively and arm64
# with Debian's cross compiler and the arm64 builds of the libraries
# (multiarch). Installs what is missing first.
#   package.sh [amd64|arm64]...   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
arches=("$@")
[ ${#arches[@]} -gt 0 ] || arches=(amd64 arm64)
mkdir -p dist
for arch in "${arches[@]}"; do
    flags=(-DCMAKE_BUILD_TYPE=Release -DPOIGUARD_TESTS=OFF -DPOIGUARD_BUILTIN_POI=/etc/poiguard/vodudo/gefahr.csv)
    if [ "$arch" = arm64 ]; then
        install_arm64
        flags+=(-DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake)
    else
        install_build_deps dpkg-dev file
    fi
    cmake -S . -B "build-deb-$arch" "${flags[@]}" >/dev/null
    cmake --build "build-deb-$arch" -j"$(nproc)" --target poiguard soundgen sounds changelog poiguard-import-pois
    (cd "build-deb-$arch" && cpack -G DEB -B "$PWD/../dist" >/dev/null)
done
rm -rf dist/_CPack_Packages
ls dist/*.deb
