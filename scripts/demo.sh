#!/usr/bin/env bash
# The demo: a simulated receiver drives north through Bremen past speed
# cameras, one in a tunnel, and poiguard warns about them. Two and a half
# minutes; no hardware needed.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
install_build_deps
# A new build needs no test framework; one that has the tests keeps them.
tests=()
[ -f build/CMakeCache.txt ] || tests=(-DPOIGUARD_TESTS=OFF)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo "${tests[@]}" >/dev/null
cmake --build build -j"$(nproc)" --target poiguard poiguard-report gpssim soundgen

demo=$(pwd)/demo
rm -rf "$demo" && mkdir -p "$demo/vodudo" "$demo/sounds"
cp scripts/demo/gefahr.csv scripts/demo/gefahr.sections.csv "$demo/vodudo/"
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
# positions carried on through a tunnel
coastSeconds=60
# the drive written down for poiguard-report
trackLog=true
# each warning spoken after its sounds (speech=en for English)
speech=de
CONF

# 3.3 km north at 90 km/h, in real time (estimates in the tunnel follow the
# clock): past the camera "Blitzer_Nord" 890 m from the start, leaving
# "Blitzer_Sued" 170 m behind the start unannounced; through a tunnel from
# 1.35 to 1.95 km with the camera "Blitzer_Tunnel" inside; through the
# average-speed section "Abschnitt_Nord" (80 km/h) from 2.3 to 3.1 km, over
# its limit on average; then the receiver
# falls silent, the watchdog closes the port after 5 s, and the receiver is
# gone (unplugged) when the port is tried again 10 s later.
build/gpssim --link "$demo/COM7" --route 53.0660,8.8000:53.0957,8.8000 --speed 90 --rate 1 \
    --cold 4 --tunnel 54:24 --hold 8 2>"$demo/gpssim.log" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
while [ ! -e "$demo/COM7" ]; do sleep 0.1; done

echo "== poiguard runs in $demo for 155 seconds; (sound: ...) lines show each sound as it starts"
(cd "$demo" && POIGUARD_SOUND_TRACE=1 timeout 155 ../build/poiguard 2>&1) || true
echo "== demo over; the daily log file is $(ls "$demo"/logs/log_*.log)"
track=$(ls "$demo"/logs/track_*.csv)
build/poiguard-report --gpx "$demo/drive.gpx" --html "$demo/drive.html" "$track" >/dev/null
echo "== the drive's report: $demo/drive.html (open it in a browser), the track for map tools: $demo/drive.gpx"
