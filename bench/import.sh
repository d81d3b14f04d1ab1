#!/usr/bin/env bash
# poiguard-import-pois LIST osm:DE against the tests' stand-in of the
# Overpass API serving 50,000 made-up cameras: the Linux build and the
# Windows build under Wine write the same list, byte for byte; the time of
# each, ROUNDS runs alternating (default 3).
#   import.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR [ROUNDS]
set -euo pipefail
linux=$(realpath "$1")/poiguard-import-pois windows=$(realpath "$2")/poiguard-import-pois.exe
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$(realpath "$2")/wineprefix} WINEDEBUG=-all
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$dir"' EXIT
cd "$dir"
python3 "$here/../tests/import/overpass_standin.py" port queries cameras:50000 ok &
for _ in $(seq 300); do [ -s port ] && break; sleep 0.1; done
url=http://127.0.0.1:$(cat port)/api/interpreter
/usr/lib/wine/wine64 "$windows" --version > /dev/null  # Wine started once, outside the times
seconds() { local t=$EPOCHREALTIME; "$@" > /dev/null; printf '%.2f' "$(echo "$EPOCHREALTIME - $t" | bc)"; }
for round in $(seq "${3:-3}"); do
    rm -f linux.csv windows.csv
    echo "round $round: Linux $(seconds "$linux" linux.csv osm:DE --overpass "$url") s," \
        "Windows under Wine $(seconds /usr/lib/wine/wine64 "$windows" windows.csv osm:DE --overpass "$url") s"
done
cmp linux.csv windows.csv && echo "the same list, byte for byte: $(wc -l < linux.csv) POIs, $(wc -c < linux.csv) bytes"
