#!/usr/bin/env bash
# End to end: the built poiguard in a fresh working directory, its COM port a
# pseudo-terminal of the simulator, a short drive past a POI.
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$here/run-drive.sh" "$bin/gpssim" "$dir" "$dir/COM5" "$bin/poiguard"
cd "$dir"

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
