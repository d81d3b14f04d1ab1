#!/usr/bin/env bash
# A receiver that gpsd owns: gpsfake plays a capture through a gpsd of its
# own, the bridge of poiguard-gpsd-bridge.service (its ExecStart, pointed at
# this gpsd and this folder) hands the raw NMEA to a pseudo-terminal that
# poiguard reads as COM5. gpsd is stopped and started again, as systemd would
# restart the bridge with it; poiguard's own reconnection must bring the
# positions back.
#   gpsd-bridge.sh BUILD_DIR
set -euo pipefail
. "$(dirname "$0")/lib.sh"
bin=$(realpath "$1")
unit=$(cd "$(dirname "$0")/../../packaging" && pwd)/poiguard-gpsd-bridge.service
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; pkill -f "gpsfake.*$port" 2>/dev/null || true; rm -rf "$dir" || true' EXIT
cd "$dir"
port=$((20000 + $$ % 10000))
bridge=$(sed -n 's/^ExecStart=//p' "$unit" | sed "s|/run/poiguard-gps/tty|$dir/COM5|; s|gpspipe -r|gpspipe -r localhost\\\\:$port|")
gpsd_on() { gpsfake -q -n -c 0.05 -P "$port" "$(dirname "$unit")/../tests/captures/bt451.log" > /dev/null 2>&1 & gpsd=$!; }
gpsd_on
(while :; do eval "$bridge" 2>/dev/null || true; sleep 1; done) &  # Restart=always
mkdir vodudo && printf '23.56900, 55.79700, Vilnius_road\n' > vodudo/gefahr.csv
printf 'startProgram=true\ncomPort=5\nmaxTimeNoData=3\n' > config.txt
"$bin/poiguard" > out.txt &
wait_for 'grep -q "^length=" out.txt' || { echo "FAILED: no position through the bridge"; head -30 out.txt; exit 1; }
echo "ok: positions through gpsd and the bridge"
kill $gpsd; pkill -f "gpsfake.*$port" || true
wait_for 'grep -qE "Got no data since 3sec|the device is gone" out.txt' || { echo "FAILED: gpsd stopped, but poiguard did not notice"; exit 1; }
sleep 2
gpsd_on
wait_for 'sed -nE "/Got no data since 3sec|the device is gone/,\$p" out.txt | grep -q "^length="' ||
    { echo "FAILED: gpsd started again, positions did not resume"; tail -30 out.txt; exit 1; }
echo "ok: gpsd stopped and started again: positions resume"
