#!/usr/bin/env bash
# Runs one drive: prepares WORKDIR (its config.txt and POI list, unless it
# has them), lets the simulator drive with its device linked at LINK once the
# program has the port open, and runs COMMAND in WORKDIR until UNTIL (a shell
# condition) holds, 60 s at most; then SIGNAL (TERM) ends it. The console
# goes to WORKDIR/out.txt, the sound trace to WORKDIR/err.txt. POIS,
# SETTINGS (more lines of config.txt) and SIMFLAGS (the simulator's route and
# pace) change the drive. Give paths absolute.
#   run-drive.sh GPSSIM WORKDIR LINK UNTIL COMMAND...
set -euo pipefail
. "$(dirname "$0")/lib.sh"
sim=$(realpath "$1") dir=$2 link=$3 until=$4
shift 4
mkdir -p "$dir/vodudo"
cd "$dir"
[ -e vodudo/gefahr.csv ] || printf '%b' "${POIS:-8.80000, 53.07400, Blitzer\n9.50000, 53.20000, Weit\n}" > vodudo/gefahr.csv
[ -e config.txt ] ||
    printf 'startProgram=true\ncomPort=5\nupdateInterval=2\nmaxTimeNoData=3\nwriteLogFile=true\n%b' "${SETTINGS:-}" > config.txt
rm -f "$link"
# The receiver falls silent for 5 s after its last sentence, then goes away:
# the watchdog (maxTimeNoData=3) speaks first.
# shellcheck disable=SC2086
"$sim" --link "$link" --hold 5 --wait ${SIMFLAGS:---route 53.0720,8.8000:53.0760,8.8000 --speed 90 --rate 2 --scale 5} 2>/dev/null &
simulator=$!
wait_for '[ -e "$link" ]' || true
POIGUARD_SOUND_TRACE=1 "$@" > out.txt 2> err.txt &
program=$!
# The drive starts once the program has the port open, however long it took
# to get there (valgrind, Wine, qemu, a loaded machine).
wait_for 'grep -q "serial.open successfully" out.txt' || true
kill -USR1 $simulator
wait_for "$until" || true
kill -"${SIGNAL:-TERM}" $program 2>/dev/null || true
kill $simulator 2>/dev/null || true
wait $program $simulator 2>/dev/null || true
