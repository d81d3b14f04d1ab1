#!/usr/bin/env bash
# Faults a car brings, end to end with the built poiguard and the simulator:
# the receiver unplugged and back, line noise, a long cold start, kill -9.
# Each run lasts until the program has printed what is awaited (60 s at most).
#   faults.sh BUILD_DIR
set -euo pipefail
bin=$(realpath "$1")
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$dir" || true' EXIT
. "$(dirname "$0")/lib.sh"
# A fresh working directory, the simulator on COM6 with the given options,
# and poiguard running there until the shell condition holds; SIGNAL ends it.
drive() {  # condition, simulator options...
    local until=$1
    shift
    rm -rf "$dir/run" && mkdir -p "$dir/run/vodudo" && cd "$dir/run"
    printf '8.80000, 53.07400, Blitzer\n' > vodudo/gefahr.csv
    printf 'startProgram=true\ncomPort=6\nmaxTimeNoData=2\nwriteLogFile=true\n' > config.txt
    "$bin/gpssim" --link COM6 --hold 0 --wait "$@" 2>sim.txt &
    local simulator=$!
    for _ in $(seq 100); do [ -e COM6 ] && break; sleep 0.05; done
    "$bin/poiguard" > out.txt &
    local program=$!
    wait_for 'grep -q "serial.open successfully" out.txt' || true
    kill -USR1 $simulator
    wait_for "$until" || true
    kill -"${SIGNAL:-TERM}" $program
    wait $program 2>/dev/null || true
}
fixes() { grep -c '^length=' "${1:-out.txt}" || true; }

# 1. Unplugged and plugged back: the read fails, the watchdog closes the
#    port, and 10 s later positions come again from the new device.
drive 'sed -n "/Got no data since 2sec/,\$p" out.txt | grep -q "^length="' \
    --route 53.0700,8.8000:53.0800,8.8000 --speed 50 --rate 2 --drop 3
after=$(sed -n '/Got no data since 2sec/,$p' out.txt)
check "unplugged: the port reopens" grep -q "serial.open successfully" <<< "$after"
check "plugged back: positions come again" grep -q "^length=" <<< "$after"

# 2. Random bytes between valid sentences: every valid position is taken.
mkdir -p "$dir" && : > "$dir/noisy.nmea"
for i in $(seq 0 39); do
    body=$(printf 'GPRMC,1200%02d,A,5304.%04d,N,00848.0000,E,0.0,0.0,061226,,' $((i % 60)) $((2000 + i)))
    sum=0
    for ((k = 0; k < ${#body}; k++)); do sum=$((sum ^ $(printf '%d' "'${body:k:1}"))); done
    printf '$%s*%02X\r\n' "$body" $sum >> "$dir/noisy.nmea"
    head -c 200 /dev/urandom | tr -d '#' >> "$dir/noisy.nmea"  # a line starting with # is a comment to the replay
done
printf '$GPGSA,A,1*02\r\n' >> "$dir/noisy.nmea"  # its '$' hands over the last fix
drive 'grep -q "wide=5304.2039" out.txt' --replay "$dir/noisy.nmea" --fast --hold 3
seen=$(grep -o '^length=00848.0000 (8.800000) wide=5304\.[0-9]*' out.txt | cut -c40-43 | tr '\n' ' ')
consecutive() { test "$seen" = "$(seq -s ' ' 2000 2039) " || { echo "  seen: $seen"; false; }; }
check "noise: every valid position is accepted, in order" consecutive

# 3. A minute of no-fix sentences first: positions once the fix comes.
drive 'grep -q "^length=" out.txt' --route 53.0700,8.8000:53.0720,8.8000 --speed 50 --cold 60 --scale 10 --hold 2
check "cold start: no position before the fix" \
    test "$(grep -m1 '^length=' out.txt | cut -c1-40)" = "length=00848.0000 (8.800000) wide=5304.2"

# 4. kill -9 in the middle of a run: the log file holds every line printed.
#    The console gets a fix's lines together once the fix is handled, so a
#    kill inside a fix may leave the console one fix behind the file.
SIGNAL=KILL drive '[ "$(fixes)" -ge 5 ]' --route 53.0700,8.8000:53.0800,8.8000 --speed 50 --rate 5 --scale 4
check "kill -9: the log file holds what was printed" cmp -s -n "$(stat -c %s out.txt)" out.txt logs/log_*.log
check "kill -9: the console misses no more than the last fix" \
    test "$(tail -c +"$(($(stat -c %s out.txt) + 1))" logs/log_*.log | grep -c '^length=')" -le 1
exit $fail
