#!/usr/bin/env bash
# Runs one short drive past a POI: prepares WORKDIR, lets the simulator
# drive with its device linked at LINK, and runs the program there for 12 s;
# its console goes to WORKDIR/out.txt. Give the command with absolute paths.
#   run-drive.sh GPSSIM WORKDIR LINK COMMAND...
set -euo pipefail
sim=$(realpath "$1") dir=$2 link=$3
shift 3
mkdir -p "$dir/vodudo"
cd "$dir"
printf '8.80000, 53.07400, Blitzer\n9.50000, 53.20000, Weit\n' > vodudo/gefahr.csv
printf 'startProgram=true\ncomPort=5\nupdateInterval=2\nmaxTimeNoData=3\nwriteLogFile=true\n' > config.txt
rm -f "$link"
"$sim" --link "$link" --route 53.0720,8.8000:53.0760,8.8000 --speed 90 --rate 2 --scale 5 --hold 0 2>/dev/null &
simulator=$!
for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
timeout 12 "$@" > out.txt 2>/dev/null || true
kill $simulator 2>/dev/null || true
wait $simulator 2>/dev/null || true
