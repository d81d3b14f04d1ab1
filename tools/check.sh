#!/usr/bin/env bash
# Builds everything and runs every test: a normal build (with the end-to-end
# drives, fault scenarios and a valgrind run), one with AddressSanitizer and
# UndefinedBehaviorSanitizer, the Windows build under Wine, and a minute of
# fuzzing per target. Installs what is missing on a Debian machine first.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
install_deps

jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOIGUARD_TESTS=ON >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPOIGUARD_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ctest --output-on-failure -j"$jobs")

bash tools/check-windows.sh
bash tools/fuzz.sh 60
