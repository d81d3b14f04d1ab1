#!/usr/bin/env bash
# End to end: the built poiguard in a fresh working directory, its COM port a
# pseudo-terminal of the simulator, a short drive past a POI.
set -euo pipefail
bin=$1
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$dir"' EXIT
cd "$dir"
mkdir vodudo
printf '8.80000, 53.07400, Blitzer\n9.50000, 53.20000, Weit\n' > vodudo/gefahr.csv
printf 'startProgram=true\ncomPort=5\nupdateInterval=2\nmaxTimeNoData=3\nwriteLogFile=true\n' > config.txt

"$bin/gpssim" --link COM5 --route 53.0720,8.8000:53.0760,8.8000 --speed 90 --rate 2 --scale 5 --hold 0 2>/dev/null &
while [ ! -e COM5 ]; do sleep 0.05; done
timeout 12 "$bin/poiguard" > out.txt || true

fail=0
expect() {
    if grep -qF -- "$1" out.txt; then echo "ok: $1"; else echo "MISSING: $1"; fail=1; fi
}
expect "serial.open successfully"
expect "Received Data from serial Port"
expect " ... list is sorted"
expect "length=00848.0000 (8.800000) wide=5304.3"
expect "nearest POI: name=   Blitzer"
expect "nearest POI: name=      Weit"
expect "POI in the near 0.04"
expect "Got no data since 3sec"
cmp -s out.txt logs/log_*.log || { echo "the log file differs from the console"; fail=1; }
[ $fail -eq 0 ] || { echo "--- console:"; head -60 out.txt; }
exit $fail
