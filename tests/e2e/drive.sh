#!/usr/bin/env bash
# End to end: the built poiguard in a fresh working directory, its COM port a
# pseudo-terminal of the simulator, a short drive past a POI near Bremen,
# one in Buenos Aires from a $GNRMC receiver, and one past a camera for each
# carriageway and back; with "valgrind" as second
# argument, under valgrind's memcheck, which must find no error.
#   drive.sh BUILD_DIR [valgrind]
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
runner=()
[ "${2:-}" = valgrind ] && runner=(valgrind --log-file="$dir/valgrind.txt" --leak-check=no)
drive() {  # a name, then the lines its console must hold; UNTIL ends the run (by default a second after
           # the watchdog closed the port: the program then sleeps, nothing half written)
    "$here/run-drive.sh" "$bin/gpssim" "$dir/$1" "$dir/$1/COM5" "${UNTIL:-grep -q 'Got no data since 3sec' out.txt && grep -q 'serial.Close()' out.txt && sleep 1}" \
        "${runner[@]}" "$bin/poiguard"
    local name=$1 line
    shift
    for line in "$@"; do check "$name: $line" grep -qF -- "$line" "$dir/$name/out.txt"; done
}
drive north "serial.open successfully" "Received Data from serial Port" " ... list is sorted" \
    "length=00848.0000 (8.800000) wide=5304.3" "nearest POI: name=   Blitzer" "nearest POI: name=      Weit" \
    "POI in the near 0.04" "Got no data since 3sec"
check "north: the log file is the console" cmp -s "$dir/north/out.txt" "$dir/north"/logs/log_*.log

# South and west are negative, in the POI file as in the position; the three
# warnings sound: one ding, two, four and the warning (after the two of the
# first data).
# The drive written down (trackLog), the program killed at the end: the
# report reads every fix and the three warnings back.
POIS='-58.37000, -34.60600, Obelisco\n' SIMFLAGS='--talker GN --route -34.6080,-58.3700:-34.6040,-58.3700 --speed 90 --rate 2 --scale 5' \
    SETTINGS='trackLog=true\n' SIGNAL=KILL drive south "length=05822.2000 (-58.370000) wide=3436.4" "POI in the near 0.04"
check "south: the three warnings" test "$(grep -c 'ding.wav' "$dir/south/err.txt")$(grep -c 'Achtung.wav' "$dir/south/err.txt")" = 91
check "south: the track read back, a fix for each position line, the three warnings" \
    test "$("$bin/poiguard-report" --gpx "$dir/south.gpx" "$dir"/south/logs/track_*.csv)" = \
    "$(grep -c '^length=' "$dir/south/out.txt") positions, 3 warnings, 0.4 km: $dir/south.gpx"
# Warnings that fit the drive: at 90 km/h the outer radius covers 15 s, and
# the POI behind the car is never announced.
POIS='8.80000, 53.07400, Vorn\n8.80000, 53.07050, Hinten\n' SETTINGS='warnAheadOnly=true\nwarnSeconds=15\n' \
    drive ahead "warnAheadOnly=true" "name=Vorn (90 km/h: radius 0.3750" "nearest POI: name=    Hinten"
check "ahead: the POI behind is never announced" test -z "$(grep "POI in the near.*name=Hinten" "$dir/ahead/out.txt")"
# Two cameras on one pole, one for each carriageway, driven north and back:
# each way announces exactly the camera that checks it, once (its three
# levels), and the import keeps both.
printf '8.80000, 53.07400, Nord, 50, 0\n8.80000, 53.07400, Sued, 50, 180\n' > "$dir/pole.csv"
mkdir -p "$dir/both/vodudo" && "$bin/poiguard-import-pois" \
    "$dir/both/vodudo/gefahr.csv" "$dir/pole.csv" > /dev/null
SIMFLAGS='--route 53.0720,8.8000:53.0760,8.8000:53.0720,8.8000 --speed 90 --rate 2 --scale 5' \
    drive both "name=Nord (limit 50 km/h)" "name=Sued (limit 50 km/h)"
check "both: north, then south, each its own camera" \
    test "$(grep -o 'POI in the near.*name=[A-Za-z]*' "$dir/both/out.txt" | sed 's/.*name=//' | uniq | tr '\n' ' ')" = "Nord Sued "
check "both: each way warned once" test "$(grep -c 'ding.wav' "$dir/both/err.txt")$(grep -c 'Achtung.wav' "$dir/both/err.txt")" = 162
# Into a tunnel at 144 km/h, the fixes ending 400 m before a camera: the
# position carried on warns it at its three levels; a camera 800 m into the
# tunnel, beyond coastSeconds=12 of estimates, stays silent (and behind once
# the fixes come back). Real time: the estimates follow the clock.
POIS='8.80000, 53.06900, Tunnel\n8.80000, 53.07260, Tief\n' SETTINGS='coastSeconds=12\nwarnAheadOnly=true\n' \
    SIMFLAGS='--route 53.0600,8.8000:53.0800,8.8000 --speed 144 --rate 1 --tunnel 15:25' \
    drive tunnel "carried on at 144 km/h, course 0" "no more estimated positions (coastSeconds=12)"
check "tunnel: the camera in reach warned from estimates, to its inner level" \
    test "$(awk '/^Estimated/ { e = 1 } /^length=/ { e = 0 } /POI in the near.*name=Tunnel/ && e { n++ } END { print (n >= 5) }' \
        "$dir/tunnel/out.txt") $(grep -c Achtung "$dir/tunnel/err.txt")" = "1 1"
check "tunnel: the camera beyond the estimates never" test "$(grep -c 'name=Tief' "$dir/tunnel/out.txt")" = 0
# An average-speed section of 1 km, limit 80, driven north at 100 km/h and
# back south at 70: entered, the warning once, left at an average of 100;
# the other way nothing. The list is read anew (SIGHUP) just inside: the
# section goes on. The fixes' own times count, so the drive may run faster
# than real time.
mkdir -p "$dir/section/vodudo"
printf '8.80000, 53.06500, 8.80000, 53.07399, 80, 1.000, Abschnitt\n' > "$dir/section/vodudo/gefahr.sections.csv"
POIS='9.50000, 53.20000, Weit\n' SIMFLAGS='--route 53.0630,8.8000:53.0770,8.8000:53.0630,8.8000 --speed 100,70 --rate 1 --scale 5' \
    UNTIL="{ [ -e hup ] || ! grep -q '^Entering section' out.txt || { kill -HUP \$program && touch hup; }; } &&
        grep -q 'Got no data since 3sec' out.txt && grep -q 'serial.Close()' out.txt && sleep 1" \
    drive section \
    "Entering section Abschnitt: 1.0 km, limit 80 km/h" "SUCCESS Reloading POI list" \
    "Section Abschnitt: at this speed the average ends at 100 km/h, over the limit of 80 km/h" \
    "Leaving section Abschnitt: average 100 km/h over 1.0 km, limit 80 km/h"
check "section: once, the way back nothing" test "$(grep -c '^Entering section' "$dir/section/out.txt") $(grep -c Achtung "$dir/section/err.txt")" = "1 1"
# The list replaced by import-pois once the drive is under way: the camera
# it adds is announced, the one it took away never is.
printf '8.80000, 53.07600, Neu\n' > "$dir/neu.csv"
POIS='8.80000, 53.07400, Alt\n' SIMFLAGS='--route 53.0600,8.8000:53.0800,8.8000 --speed 90 --rate 2 --scale 5' \
    UNTIL="grep -q '^length=' out.txt && { [ -e imported ] || { POIGUARD_READ_POIS=$bin/read-pois \
        $bin/poiguard-import-pois vodudo/gefahr.csv $dir/neu.csv > /dev/null && touch imported; }; } &&
        grep -q 'Got no data since 3sec' out.txt" \
    drive reload "The POI list has changed: reloading POI list from vodudo\\gefahr.csv" \
    "SUCCESS Reloading POI list from vodudo\\gefahr.csv ... found 1 POIs" "name=Neu"
check "reload: the camera taken away is never announced" test -z "$(grep "POI in the near.*name=Alt" "$dir/reload/out.txt")"
check "reload: the camera added sounds its warning" grep -q "Achtung.wav" "$dir/reload/err.txt"
[ -z "${runner[*]}" ] || check "valgrind: no error" grep -q "ERROR SUMMARY: 0 errors" "$dir/valgrind.txt"
[ $fail -eq 0 ] || head -60 "$dir"/*/out.txt "$dir"/valgrind.txt 2>/dev/null
exit $fail
