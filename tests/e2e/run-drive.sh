#!/usr/bin/env bash
# Runs one short drive past a POI: prepares WORKDIR (its config.txt and POI
# list, unless it has them), lets the simulator
# drive with its device linked at LINK, and runs the program there until it
# has printed LAST_LINE (or 60 s); its console goes to WORKDIR/out.txt, its
# sound trace to WORKDIR/err.txt. Give the command with absolute paths.
# ROUTE, POIS, SIMFLAGS and SETTINGS (more lines of config.txt) change the drive.
#   run-drive.sh GPSSIM WORKDIR LINK LAST_LINE COMMAND...
set -euo pipefail
. "$(dirname "$0")/lib.sh"
sim=$(realpath "$1") dir=$2 link=$3 last=$4
shift 4
mkdir -p "$dir/vodudo"
cd "$dir"
[ -e vodudo/gefahr.csv ] || printf '%b' "${POIS:-8.80000, 53.07400, Blitzer\n9.50000, 53.20000, Weit\n}" > vodudo/gefahr.csv
[ -e config.txt ] ||
    printf 'startProgram=true\ncomPort=5\nupdateInterval=2\nmaxTimeNoData=3\nwriteLogFile=true\n%b' "${SETTINGS:-}" > config.txt
rm -f "$link"
# shellcheck disable=SC2086
"$sim" --link "$link" --route "${ROUTE:-53.0720,8.8000:53.0760,8.8000}" --speed 90 --rate 2 --scale 5 --hold 0 \
    --wait ${SIMFLAGS:-} 2>/dev/null &
simulator=$!
for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
POIGUARD_SOUND_TRACE=1 "$@" > out.txt 2> err.txt &
program=$!
# The drive starts once the program has the port open, however long it took
# to get there (valgrind, Wine, qemu, a loaded machine).
wait_for 'grep -q "serial.open successfully" out.txt' || true
kill -USR1 $simulator
wait_for 'grep -qF -- "$last" out.txt' || true
kill $program $simulator 2>/dev/null || true
wait $program $simulator 2>/dev/null || true
