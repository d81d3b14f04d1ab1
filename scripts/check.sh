#!/usr/bin/env bash
# Builds everything and runs every test: a normal build (with the end-to-end
# drives, fault scenarios, POI imports and a valgrind run), one with
# AddressSanitizer and UndefinedBehaviorSanitizer, the Debian package
# installed, run and purged, the arm64 build under qemu, the Windows build
# under Wine, and half a minute of fuzzing per reader. Installs what is
# missing on a Debian machine first; each part says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
install_deps
jobs=$(nproc)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
started=$SECONDS
part() { echo "== done in $((SECONDS - started)) s: $1"; started=$SECONDS; }

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOIGUARD_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
part "Linux build and tests"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPOIGUARD_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && LSAN_OPTIONS=suppressions=$PWD/../tests/lsan.supp ctest --output-on-failure -j"$jobs")
part "ASan/UBSan build and tests"

install_packages lintian systemd
bash scripts/package.sh amd64
lintian --fail-on error dist/poiguard_*_amd64.deb
$sudo bash tests/e2e/package.sh dist/poiguard_*_amd64.deb build
part "Debian package: built, lintian, installed, run, purged"

bash scripts/check-arm64.sh
lintian --fail-on error dist/poiguard_*_arm64.deb
part "arm64: unit tests and a drive under qemu, package"

bash scripts/check-windows.sh
part "Windows build under Wine"

bash scripts/fuzz.sh 30
part "fuzzing"
