#!/usr/bin/env bash
# The Windows build: cross-compiled with MinGW-w64, its unit tests under
# Wine, and the Windows download (scripts/release-windows.sh) unpacked and
# driven under Wine, its importer run against the stand-in of the Overpass
# API. Needs the Linux build in build/ for the simulator (scripts/check.sh
# makes it first).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
install_deps g++-mingw-w64-x86-64 wine64 googletest

cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DPOIGUARD_TESTS=ON >/dev/null 2>&1
cmake --build build-win -j"$(nproc)"
[ -x build/gpssim ] || { cmake -S . -B build -DPOIGUARD_TESTS=OFF >/dev/null && cmake --build build -j"$(nproc)" --target gpssim poiguard; }

wine=/usr/lib/wine/wine64
export WINEPREFIX=$PWD/build-win/wineprefix WINEDEBUG=-all
# One quiet Wine server for every run below; it reports its state on
# standard error whenever a client is killed, as the drive's time-out does.
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p 2>/dev/null
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
echo "== Windows unit tests under Wine"
"$wine" build-win/tests/poiguard_tests.exe
zip=$(bash scripts/release-windows.sh | tail -1)
echo "== $zip unpacked and driven under Wine"
[ "$("$wine" build-win/poiguard.exe --version | tr -d '\r')" = "$(build/poiguard --version)" ] ||
    { echo "Windows and Linux give different versions"; exit 1; }
bash tests/e2e/drive-wine.sh build "$zip" "$wine"
echo "== the zip's poiguard-import-pois.exe against the stand-in of the Overpass API"
unzipped=$(mktemp -d)
(cd "$unzipped" && cmake -E tar xf "$OLDPWD/$zip")
bash tests/import/download.sh "$unzipped/poiguard" "$wine"
rm -rf "$unzipped"
