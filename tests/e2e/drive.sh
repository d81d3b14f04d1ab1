#!/usr/bin/env bash
# End to end: the built poiguard in a fresh working directory, its COM port a
# pseudo-terminal of the simulator, a short drive past a POI near Bremen and
# one in Buenos Aires from a $GNRMC receiver; with "valgrind" as second
# argument, under valgrind's memcheck, which must find no error.
#   drive.sh BUILD_DIR [valgrind]
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
runner=()
[ "${2:-}" = valgrind ] && runner=(valgrind --log-file="$dir/valgrind.txt" --leak-check=no)
fail=0
expect() {  # the file, then the lines it must hold
    local file=$1
    shift
    for line in "$@"; do grep -qF -- "$line" "$file" || { echo "MISSING in $file: $line"; fail=1; }; done
}
"$here/run-drive.sh" "$bin/gpssim" "$dir/north" "$dir/north/COM5" "Got no data since 3sec" "${runner[@]}" "$bin/poiguard"
expect "$dir/north/out.txt" "serial.open successfully" "Received Data from serial Port" " ... list is sorted" \
    "length=00848.0000 (8.800000) wide=5304.3" "nearest POI: name=   Blitzer" "nearest POI: name=      Weit" \
    "POI in the near 0.04" "Got no data since 3sec"
cmp -s "$dir/north/out.txt" "$dir/north"/logs/log_*.log || { echo "the log file differs from the console"; fail=1; }

# South and west are negative, in the POI file as in the position; the three
# warnings sound: one ding, two, four and the warning (after the two of the
# first data).
ROUTE=-34.6080,-58.3700:-34.6040,-58.3700 POIS='-58.37000, -34.60600, Obelisco\n' SIMFLAGS='--talker GN' \
    "$here/run-drive.sh" "$bin/gpssim" "$dir/south" "$dir/south/COM5" "Got no data since 3sec" "${runner[@]}" "$bin/poiguard"
expect "$dir/south/out.txt" "length=05822.2000 (-58.370000) wide=3436.4" "POI in the near 0.04"
[ "$(grep -c 'ding.wav' "$dir/south/err.txt")$(grep -c 'Achtung.wav' "$dir/south/err.txt")" = 91 ] ||
    { echo "south: not the three warnings:"; cat "$dir/south/err.txt"; fail=1; }
# Warnings that fit the drive: at 90 km/h the outer radius covers 15 s, and
# the POI behind the car is never announced.
ROUTE=53.0720,8.8000:53.0760,8.8000 POIS='8.80000, 53.07400, Vorn\n8.80000, 53.07050, Hinten\n' \
    SETTINGS='warnAheadOnly=true\nwarnSeconds=15\n' \
    "$here/run-drive.sh" "$bin/gpssim" "$dir/ahead" "$dir/ahead/COM5" "Got no data since 3sec" "${runner[@]}" "$bin/poiguard"
expect "$dir/ahead/out.txt" "warnAheadOnly=true" "name=Vorn (90 km/h: radius 0.3750" "nearest POI: name=    Hinten"
! grep -q "POI in the near.*name=Hinten" "$dir/ahead/out.txt" || { echo "the POI behind was announced"; fail=1; }
if [ -n "${runner[*]}" ] && ! grep -q "ERROR SUMMARY: 0 errors" "$dir/valgrind.txt"; then cat "$dir/valgrind.txt"; fail=1; fi
[ $fail -eq 0 ] || head -60 "$dir"/*/out.txt
exit $fail
