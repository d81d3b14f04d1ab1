#!/usr/bin/env bash
# End to end: the built poiguard in a fresh working directory, its COM port a
# pseudo-terminal of the simulator, a short drive past a POI; with
# "valgrind" as second argument, under valgrind's memcheck, which must find
# no error.
#   drive.sh BUILD_DIR [valgrind]
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
runner=()
[ "${2:-}" = valgrind ] && runner=(valgrind --log-file="$dir/valgrind.txt" --leak-check=no)
"$here/run-drive.sh" "$bin/gpssim" "$dir" "$dir/COM5" "${runner[@]}" "$bin/poiguard"
cd "$dir"
fail=0
for line in "serial.open successfully" "Received Data from serial Port" " ... list is sorted" \
    "length=00848.0000 (8.800000) wide=5304.3" "nearest POI: name=   Blitzer" "nearest POI: name=      Weit" \
    "POI in the near 0.04" "Got no data since 3sec"; do
    grep -qF -- "$line" out.txt || { echo "MISSING: $line"; fail=1; }
done
cmp -s out.txt logs/log_*.log || { echo "the log file differs from the console"; fail=1; }
if [ -n "${runner[*]}" ] && ! grep -q "ERROR SUMMARY: 0 errors" valgrind.txt; then cat valgrind.txt; fail=1; fi
[ $fail -eq 0 ] || head -60 out.txt
exit $fail
