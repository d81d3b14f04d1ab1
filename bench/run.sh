#!/usr/bin/env bash
# Builds the benchmarks in Release and reports every figure of bench/README.md
# on this machine: the POI list's costs beside their floors, then the whole
# program on a 10 Hz stream beside gpsd (installed from Debian if missing),
# in alternating rounds, since one run of either varies by several percent.
#   bash bench/run.sh [seconds of streaming, default 60] [rounds, default 3]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
install_deps gpsd
seconds=${1:-60}
rounds=${2:-3}
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPOIGUARD_BENCH=ON -DPOIGUARD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target poi_bench stream_bench poiguard

echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
build-bench/bench/poi_bench --benchmark_color=false
echo "== a 10 Hz stream for $seconds s, $rounds rounds"
for round in $(seq "$rounds"); do
    # Every other round the receiver sends RMC last in its burst.
    build-bench/bench/stream_bench --program build-bench/poiguard --seconds "$seconds" --rmc-last $((round % 2 == 0))
    build-bench/bench/stream_bench --gpsd "$(command -v gpsd || echo /usr/sbin/gpsd)" --seconds "$seconds"
done | awk '
    { print; fflush() }
    / CPU / { who = $1 == "gpsd:" ? "gpsd" : "poiguard"; for (i = 1; i < NF; ++i) if ($i == "CPU") cpu[who, ++n[who]] = $(i + 1) }
    function median(who,   i, j, t, k) {
        k = n[who]
        for (i = 1; i <= k; ++i) for (j = i + 1; j <= k; ++j)
            if (cpu[who, j] < cpu[who, i]) { t = cpu[who, i]; cpu[who, i] = cpu[who, j]; cpu[who, j] = t }
        return cpu[who, int((k + 1) / 2)]
    }
    END { printf "median CPU per minute of driving over %d rounds: poiguard %s s, gpsd %s s\n", n["poiguard"], median("poiguard"), median("gpsd") }'
echo "== the program reading the stream through gpsd"
build-bench/bench/stream_bench --program build-bench/poiguard --gpsd "$(command -v gpsd || echo /usr/sbin/gpsd)" --seconds "$seconds"
