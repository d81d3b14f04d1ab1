#!/usr/bin/env bash
# The demo: a simulated receiver drives north through Bremen past a speed
# camera, and poiguard warns about it. About a minute; no hardware needed.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/deps.sh
install_build_deps
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOIGUARD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)" --target poiguard gpssim soundgen

demo=$(pwd)/demo
rm -rf "$demo" && mkdir -p "$demo/vodudo" "$demo/sounds"
cp tools/demo/gefahr.csv "$demo/vodudo/gefahr.csv"
build/soundgen "$demo/sounds"
cat > "$demo/config.txt" <<'CONF'
# demo settings: a short silence limit and a frequent re-ordering, to show both
startProgram=true
comPort=7
updateInterval=10
maxTimeNoData=5
writeLogFile=true
# only what lies ahead, and the radii grown to 15 s of driving at speed
warnAheadOnly=true
warnSeconds=15
CONF

# 2 km north at 90 km/h, twice as fast as real time, past the camera
# "Blitzer_Nord" 890 m from the start, leaving "Blitzer_Sued" 170 m behind
# the start unannounced; then the receiver falls silent for 8 real seconds,
# and the watchdog closes and reopens the port.
build/gpssim --link "$demo/COM7" --route 53.0660,8.8000:53.0840,8.8000 --speed 90 --rate 1 --scale 2 \
    --cold 4 --pause 52:16 --hold 0 2>"$demo/gpssim.log" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
while [ ! -e "$demo/COM7" ]; do sleep 0.1; done

echo "== poiguard runs in $demo for 55 seconds; (sound: ...) lines show each sound as it starts"
(cd "$demo" && POIGUARD_SOUND_TRACE=1 timeout 55 ../build/poiguard 2>&1) || true
echo "== demo over; the daily log file is $(ls "$demo"/logs/log_*.log)"
