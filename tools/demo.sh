#!/usr/bin/env bash
# Builds poiguard and runs it for a few seconds in a demo working directory.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
install_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOIGUARD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target poiguard

rm -rf demo && mkdir -p demo/vodudo
cat > demo/config.txt <<'CONF'
startProgram=true
comPort=7
maxTimeNoData=5
CONF
printf '%s\n' '% demo POIs' '8.80720, 53.07580, Marktplatz' > demo/vodudo/gefahr.csv
echo "== poiguard in $(pwd)/demo for 12 seconds (no receiver attached: it keeps retrying)"
(cd demo && timeout 12 ../build/poiguard) || true
