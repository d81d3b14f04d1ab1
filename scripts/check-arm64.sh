#!/usr/bin/env bash
# The arm64 build for Raspberry Pi class boards: cross-compiled with Debian's
# cross compiler, its unit tests and a drive run under qemu-user, and its
# Debian package. Needs the Linux build in build/ for the simulator
# (scripts/check.sh makes it first).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
install_arm64
cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-arm64 -j"$(nproc)" --target poiguard poiguard_tests
[ -x build/gpssim ] || { cmake -S . -B build -DPOIGUARD_TESTS=OFF >/dev/null && cmake --build build -j"$(nproc)" --target gpssim; }
echo "== arm64 unit tests under qemu-aarch64"
qemu-aarch64 build-arm64/tests/poiguard_tests
echo "== arm64 drive under qemu-aarch64"
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
bash tests/e2e/run-drive.sh build/gpssim "$dir" "$dir/COM5" 'grep -q "Got no data since 3sec" out.txt' qemu-aarch64 "$PWD/build-arm64/poiguard"
for line in "length=00848.0000 (8.800000) wide=5304.3" "POI in the near 0.04" "Got no data since 3sec"; do
    grep -qF -- "$line" "$dir/out.txt" || { echo "arm64 drive: missing $line"; head -40 "$dir/out.txt"; exit 1; }
done
echo "ok: arm64 drive"
bash scripts/package.sh arm64
