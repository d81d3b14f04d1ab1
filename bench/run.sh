#!/usr/bin/env bash
# Builds the benchmarks in Release and reports every figure of bench/README.md
# on this machine: the POI list's costs beside their floors, then the whole
# program on a 10 Hz stream beside gpsd (installed from Debian if missing).
#   bash bench/run.sh [seconds of streaming, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
install_deps gpsd
seconds=${1:-60}
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPOIGUARD_BENCH=ON -DPOIGUARD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target poi_bench stream_bench poiguard

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
build-bench/bench/poi_bench --benchmark_color=false
echo "== a 10 Hz stream for $seconds s"
build-bench/bench/stream_bench --program build-bench/poiguard --seconds "$seconds"
build-bench/bench/stream_bench --gpsd "$(command -v gpsd || echo /usr/sbin/gpsd)" --seconds "$seconds"
