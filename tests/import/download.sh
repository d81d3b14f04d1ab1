#!/usr/bin/env bash
# poiguard-import-pois OUTPUT osm:AREA against a local stand-in for the
# Overpass API: the query for each form of AREA, the list it gives, and the
# failures, each with its message, a non-zero exit and the old list whole.
# With WINE, the Windows build's poiguard-import-pois.exe in BUILD_DIR, its
# line ends as Linux's.
#   download.sh BUILD_DIR [WINE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/lib.sh"
import=$(realpath "$1")/poiguard-import-pois
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$dir"' EXIT
cd "$dir"
if [ -n "${2:-}" ]; then
    cat > wine-import <<EOF
#!/bin/bash
"$2" "$import.exe" "\$@" > "\$\$.out" 2> "\$\$.err" & trap "kill \$!" TERM; wait \$!; rc=\$?
tr -d '\r' < "\$\$.out"; tr -d '\r' < "\$\$.err" >&2; rm "\$\$.out" "\$\$.err"; exit \$rc
EOF
    chmod +x wine-import
    import=$dir/wine-import
fi
standin() {  # SCENARIO [ANSWER]: a stand-in of its own; its URL in $url
    rm -f port queries
    python3 "$here/overpass_standin.py" port queries "${2:-$here/overpass.osm}" "$1" &
    wait_for '[ -s port ]'
    url=http://127.0.0.1:$(cat port)/api/interpreter
}
old='8.80000, 53.07400, Alt, 50, 0\n8.90000, 53.10000, Alt2\n8.70000, 53.20000, Alt3\n'

standin ok
printf "$old" > list.csv
"$import" --overpass "$url" list.csv osm:DE > out.txt
check "osm:DE: the cameras of the answer, relation and all" test "$(cat list.csv)" = "8.800000, 53.074000, cam_50, 50, 0
8.900000, 53.100000, Weserbrücke
8.700000, 53.200000, cam_80, 80, 270"
check "osm:DE: asked for by country, with a timeout and our name" grep -qx 'area\["ISO3166-1"="DE"\]\[admin_level=2\]->.a;' queries
check "osm:DE: the nodes, the relations, the ways they sit on, all below" test "$(sed -n '2,$p' queries | tr -d '\n')" = \
    '[out:xml][timeout:300];area["ISO3166-1"="DE"][admin_level=2]->.a;(  node["highway"="speed_camera"](area.a);  relation["type"="enforcement"](area.a);)->.hits;(.hits; way(bn.hits)["highway"];);(._;>;);out body;'
check "the User-Agent names the program and its version" grep -qx "poiguard-import-pois/$("$import" --version)" queries
check "the summary names the download" grep -q "read osm:DE: 3; wrote 3 POIs" out.txt
rm queries && "$import" --overpass "$url" --tag amenity=cafe cafes.csv osm:de,at,ch > /dev/null || true
check "osm:de,at,ch: several countries, other tags" grep -qF 'area["ISO3166-1"~"^(DE|AT|CH)$"][admin_level=2]->.a;(  node["amenity"="cafe"](area.a);' \
    <(tr -d '\n' < queries)
rm queries && "$import" --overpass "$url" box.csv osm:53.0,8.7,53.2,8.9 > /dev/null
check "osm:S,W,N,E: a box" grep -q 'node\["highway"="speed_camera"\](53.0,8.7,53.2,8.9);' queries
# Areas it cannot ask for: refused before asking, with what was meant.
rm queries
while IFS='|' read -r area said; do
    check "osm:$area: refused before asking" test "$("$import" --overpass "$url" x.csv "osm:$area" 2>&1; ls x.csv 2>&1 | grep -c 'No such')" = \
        "import-pois: osm:$area: $said; x.csv is left as it was
1"
done <<'AREAS'
de,aut|AUT is a country's three-letter code; osm: takes its two letters: osm:DE,AT
UK|UK is no country's code; the United Kingdom is GB (osm:GB)
DE,XX|XX is no country's code (ISO 3166-1: DE Germany, AT Austria, CH Switzerland, GB the United Kingdom, FR France, NL the Netherlands, ...)
54,8,53,9|a box is osm:SOUTH,WEST,NORTH,EAST, latitude first, and its south 54 is not south of its north 53
8.7,53.0,8.9,53.2x|give a country's ISO 3166-1 code (osm:DE), several (osm:DE,AT,CH) or a box (osm:S,W,N,E)
150.9,-34.0,151.3,-33.7|a box is osm:SOUTH,WEST,NORTH,EAST, latitude first; this one reads as written longitude first (as the list's lines are): osm:-34,150.9,-33.7,151.3
AREAS
printf '8.8, 53.07, A\n' > x.csv
check "a box that holds the list only read longitude first" test "$("$import" --overpass "$url" x.csv osm:8.6,53.0,9.0,53.2 2>&1)" = \
    "import-pois: osm:8.6,53.0,9.0,53.2: a box is osm:SOUTH,WEST,NORTH,EAST, latitude first; this one holds the list's first POI only read longitude first (as the list's lines are): osm:53,8.6,53.2,9; x.csv is left as it was"
check "no area refused was asked for" test ! -e queries

# Busy: 429 and 504 with Retry-After, then the answer.
standin busy
"$import" --overpass "$url" busy.csv osm:DE > /dev/null 2> err.txt
check "busy twice, answered the third time" test "$(grep -c '^poiguard' queries) $(wc -l < busy.csv)" = "3 3"
check "each retry one line" test "$(cat err.txt)" = "import-pois: the Overpass API is busy (HTTP 429); trying again in 1 s
import-pois: the Overpass API is busy (HTTP 504); trying again in 1 s"

# Every failure: its message, a non-zero status, the old list as it was.
for row in "always|stayed busy (HTTP 504) through 4 tries" "remark|partial answer: runtime error: Query timed out" \
    "none|cannot connect to http://127.0.0.1:1/" "dns|the name in http://does-not-resolve.invalid/ does not resolve" \
    "error|the Overpass API answered HTTP 400: runtime error: open64: 0 Success Dispatcher_Client::request_read_and_idx::timeout. The server is probably too busy to handle your request.; list.csv is left" \
    "hotspot|a web page came back instead of map data (\"Free WiFi - Login\"): a hotspot's login page? Log in with a browser, then try again; list.csv is left" \
    "empty|the Overpass API's answer was empty; list.csv is left" "cut|answer was cut off in the middle (the connection broke?); list.csv is left" \
    "few|the download gives 1 POIs where list.csv holds 3"; do
    scenario=${row%%|*} url=
    case $scenario in
    none) url=http://127.0.0.1:1/ ;;
    dns) url=http://does-not-resolve.invalid/ ;;
    few) { sed -n '1,/<\/node>/p' "$here/overpass.osm"; echo '</osm>'; } > one.osm && standin ok one.osm ;;
    *) standin "$scenario" ;;
    esac
    printf "$old" > list.csv
    if "$import" --overpass "$url" list.csv osm:DE > /dev/null 2> err.txt || ! tail -1 err.txt | grep -qF "${row#*|}" ||
        [ "$(cat list.csv)" != "$(printf "$old")" ]; then
        echo "FAILED: $scenario: $(cat err.txt)"; fail=1
    else echo "ok: $scenario: refused, the list left as it was"; fi
done
"$import" --overpass "$url" --force list.csv osm:DE > /dev/null
check "few, with --force: written" test "$(wc -l < list.csv)" = 1

# Killed in the middle of a download: the old list whole, nothing left beside it.
standin slow
printf "$old" > list.csv
"$import" --overpass "$url" list.csv osm:DE > /dev/null 2>&1 &
wait_for '[ -s queries ]' && sleep 0.5 && kill $!
wait $! 2>/dev/null || true
check "killed: the old list whole, no temporary file" test "$(cat list.csv; ls -A | grep -c import-pois)" = "$(printf "$old")
0"
exit $fail
