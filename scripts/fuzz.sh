#!/usr/bin/env bash
# Runs each fuzz target for a while (default 60 s) under AddressSanitizer and
# UndefinedBehaviorSanitizer, seeded with our own cases and, for the NMEA
# targets, the real receiver captures. A crash stops with its input saved in
# build-fuzz/; keep it in fuzz/corpus/<target>/ once fixed.
#   fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
install_deps clang
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DPOIGUARD_FUZZ=ON -DPOIGUARD_TESTS=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target poiguard_fuzz
for target in rmc framing config poi; do
    seeds=("$PWD/fuzz/corpus/$target")
    if [ $target = rmc ] || [ $target = framing ]; then seeds+=("$PWD/tests/captures"); fi
    work=$(mktemp -d)
    echo "== fuzzing $target for $seconds s"
    (cd build-fuzz && POIGUARD_FUZZ=$target ./poiguard_fuzz "$work" "${seeds[@]}" -max_total_time="$seconds" \
        -rss_limit_mb=2048 -print_final_stats=0 2>&1 | grep -E '^(Done|==[0-9]+==ERROR|SUMMARY)' || true)
    rm -rf "$work"
    if ls build-fuzz/crash-* build-fuzz/leak-* build-fuzz/timeout-* >/dev/null 2>&1; then
        echo "fuzzing $target found a fault; inputs in build-fuzz/"; exit 1
    fi
done
echo "fuzzing: no fault found"
