#!/usr/bin/env bash
# Builds the Windows download, dist/poiguard-<version>-win64.zip (a folder
# poiguard inside): the static
# poiguard.exe, poiguard-report.exe, poiguard-import-pois.exe, our own sounds, a commented config.txt, an example POI list,
# the gpsbabel style and a README.txt, text files with Windows line ends.
# Installs MinGW-w64 from Debian's packages when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
install_build_deps g++-mingw-w64-x86-64
version=$(sed -n 's/^project(poiguard VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
cmake -S . -B build-win-release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
    -DPOIGUARD_TESTS=OFF >/dev/null
cmake --build build-win-release -j"$(nproc)" --target poiguard poiguard-report poiguard-import-pois
[ -x build/soundgen ] || { cmake -S . -B build -DPOIGUARD_TESTS=OFF >/dev/null && cmake --build build -j"$(nproc)" --target soundgen; }

name=poiguard  # unpacked to C:\ it is the folder of the built-in POI list
zip=poiguard-$version-win64.zip
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name/sounds" "$stage/$name/vodudo"
crlf() { sed 's/\r*$/\r/' "$1" > "$2"; }
cp build-win-release/poiguard.exe build-win-release/poiguard-report.exe build-win-release/poiguard-import-pois.exe "$stage/$name/"
build/soundgen "$stage/$name/sounds"
crlf packaging/windows/config.txt "$stage/$name/config.txt"
sed "s/VERSION/$version/" packaging/windows/README.txt > "$stage/README.txt"
crlf "$stage/README.txt" "$stage/$name/README.txt"
crlf scripts/demo/gefahr.csv "$stage/$name/vodudo/gefahr.csv"
crlf scripts/demo/gefahr.sections.csv "$stage/$name/vodudo/gefahr.sections.csv"
crlf import/poiguard.style "$stage/$name/poiguard.style"
mkdir -p dist
rm -f "dist/$zip"
(cd "$stage" && cmake -E tar cf "$OLDPWD/dist/$zip" --format=zip "$name")
echo "dist/$zip"
