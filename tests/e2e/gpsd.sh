#!/usr/bin/env bash
# Positions through gpsd, read natively (gpsd=[::1]:PORT, an IPv6 literal): gpsfake plays
# a capture through a gpsd of its own. gpsd absent when poiguard starts, then
# there: positions, the same as the capture gives through a serial port
# (its .chk); gpsd stopped and started again: positions resume.
#   gpsd.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
bin=$(realpath "$1")
capture=$here/../captures/bt451
dir=$(mktemp -d)
port=$((20000 + $$ % 10000))
trap 'kill $(jobs -p) 2>/dev/null || true; pkill -f "gpsfake.*-P $port" 2>/dev/null || true; rm -rf "$dir" || true' EXIT
cd "$dir"
gpsd_on() { gpsfake -q -n -c 0.05 -P "$port" "$capture.log" > /dev/null 2>&1 & }
positions() { grep -h '^length=' "$@" || true; }
mkdir vodudo && printf '23.56900, 55.79700, Vilnius_road\n' > vodudo/gefahr.csv
printf 'startProgram=true\ngpsd=[::1]:%s\nmaxTimeNoData=3\n' "$port" > config.txt
"$bin/poiguard" > out.txt &
check "gpsd absent: said so, and tried again" wait_for 'grep -q "gpsd does not answer at \[::1\]:$port" out.txt'
gpsd_on
check "gpsd there: positions" wait_for '[ "$(positions out.txt | wc -l)" -ge 8 ]'
# gpsd may miss the first sentences; the rest are the serial port's, in order
# (the capture repeats).
serial=$(positions "$capture.chk" "$capture.chk") got=$(positions out.txt | head -8)
contains() { [[ $1 == *"$2"* ]]; }
check "the same positions as through a serial port" contains "$serial" "$got"
pkill -f "gpsfake.*-P $port" || true
check "gpsd stopped: noticed at once" wait_for 'grep -q "gpsd at \[::1\]:$port closed the connection" out.txt'
sleep 2
gpsd_on
check "gpsd started again: positions resume" wait_for 'sed -n "/closed the connection/,\$p" out.txt | grep -q "^length="'
[ $fail -eq 0 ] || tail -40 out.txt
exit $fail
