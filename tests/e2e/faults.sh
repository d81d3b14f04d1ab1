#!/usr/bin/env bash
# Faults a car brings, end to end with the built poiguard and the simulator:
# the receiver unplugged and back, line noise, a long cold start, kill -9.
#   faults.sh BUILD_DIR
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
drive() {  # the condition that ends the run, then the simulator's options
    cd "$dir" && rm -rf run
    POIS='8.80000, 53.07400, Blitzer\n' SIMFLAGS="${*:2}" \
        "$here/run-drive.sh" "$bin/gpssim" "$dir/run" "$dir/run/COM5" "$1" "$bin/poiguard"
    cd "$dir/run"
}

# 1. Unplugged and plugged back: the read fails, the port is closed at once,
#    and 10 s later positions come again from the new device.
drive 'sed -n "/the device is gone/,\$p" out.txt | grep -q "^length="' --route 53.0700,8.8000:53.0800,8.8000 --speed 50 --rate 2 --drop 3
after=$(sed -n '/the device is gone/,$p' out.txt)
check "unplugged: the port reopens" grep -q "serial.open successfully" <<< "$after"
check "plugged back: positions come again" grep -q "^length=" <<< "$after"

# 2. Random bytes between valid sentences: every valid position is taken.
for i in $(seq 0 39); do
    body=$(printf 'GPRMC,1200%02d,A,5304.%04d,N,00848.0000,E,0.0,0.0,061226,,' $((i % 60)) $((2000 + i)))
    sum=0
    for ((k = 0; k < ${#body}; k++)); do sum=$((sum ^ $(printf '%d' "'${body:k:1}"))); done
    printf '$%s*%02X\r\n' "$body" $sum
    head -c 200 /dev/urandom | tr -d '#'  # a line starting with # is a comment to the replay
done > "$dir/noisy.nmea"
printf '$GPGSA,A,1*02\r\n' >> "$dir/noisy.nmea"  # its '$' hands over the last fix
drive 'grep -q "wide=5304.2039" out.txt' --replay "$dir/noisy.nmea" --fast --hold 3
check "noise: every valid position is accepted, in order" \
    test "$(grep -o '^length=00848.0000 (8.800000) wide=5304\.[0-9]*' out.txt | cut -c40-43 | tr '\n' ' ')" = "$(seq -s ' ' 2000 2039) "

# 3. A minute of no-fix sentences first: positions once the fix comes.
drive 'grep -q "^length=" out.txt' --route 53.0700,8.8000:53.0720,8.8000 --speed 50 --cold 60 --scale 10 --hold 2
check "cold start: no position before the fix" \
    test "$(grep -m1 '^length=' out.txt | cut -c1-40)" = "length=00848.0000 (8.800000) wide=5304.2"

# 4. kill -9 in the middle of a run: the log file holds every line printed.
#    The console gets a fix's lines together once the fix is handled, so a
#    kill inside a fix may leave the console one fix behind the file.
SIGNAL=KILL drive '[ "$(grep -c "^length=" out.txt)" -ge 5 ]' --route 53.0700,8.8000:53.0800,8.8000 --speed 50 --rate 5 --scale 4
check "kill -9: the log file holds what was printed" cmp -s -n "$(stat -c %s out.txt)" out.txt logs/log_*.log
check "kill -9: the console misses no more than the last fix" \
    test "$(tail -c +"$(($(stat -c %s out.txt) + 1))" logs/log_*.log | grep -c '^length=')" -le 1
exit $fail
