#!/usr/bin/env bash
# poiguard-import-pois OUTPUT osm:AREA against a local stand-in for the
# Overpass API: the query for each form of AREA, the list it gives, and the
# failures, each with its message, a non-zero exit and the old list whole.
#   download.sh BUILD_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/lib.sh"
export POIGUARD_READ_POIS=$(realpath "$1")/read-pois
import=$here/../../import/import-pois
dir=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$dir"' EXIT
cd "$dir"
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
check "the User-Agent names the program and its version" grep -qx "poiguard-import-pois/$("$POIGUARD_READ_POIS" version)" queries
check "the summary names the download" grep -q "read osm:DE: 3; wrote 3 POIs" out.txt
rm queries && "$import" --overpass "$url" --tag amenity=cafe cafes.csv osm:de,at,ch > /dev/null || true
check "osm:de,at,ch: several countries, other tags" grep -qF 'area["ISO3166-1"~"^(DE|AT|CH)$"][admin_level=2]->.a;(  node["amenity"="cafe"](area.a);' \
    <(tr -d '\n' < queries)
rm queries && "$import" --overpass "$url" box.csv osm:53.0,8.7,53.2,8.9 > /dev/null
check "osm:S,W,N,E: a box" grep -q 'node\["highway"="speed_camera"\](53.0,8.7,53.2,8.9);' queries
check "osm:XYZ: refused before asking" test "$("$import" --overpass "$url" x.csv osm:DEU 2>&1; ls x.csv 2>&1 | grep -c 'No such')" = \
    "import-pois: osm:DEU: give a country's ISO 3166-1 code (osm:DE), several (osm:DE,AT,CH) or a box (osm:S,W,N,E)
1"

# Busy: 429 and 504 with Retry-After, then the answer.
standin busy
"$import" --overpass "$url" busy.csv osm:DE > /dev/null
check "busy twice, answered the third time" test "$(grep -c '^poiguard' queries) $(wc -l < busy.csv)" = "3 3"

# Every failure: its message, a non-zero status, the old list as it was.
for row in "always|stayed busy (HTTP 504) through 4 tries" "remark|partial answer: runtime error: Query timed out" \
    "none|cannot connect to http://127.0.0.1:1/" "dns|the name in http://does-not-resolve.invalid/ does not resolve" \
    "few|the download gives 1 POIs where list.csv holds 3"; do
    scenario=${row%%|*} url=
    case $scenario in
    none) url=http://127.0.0.1:1/ ;;
    dns) url=http://does-not-resolve.invalid/ ;;
    few) { sed -n '1,/<\/node>/p' "$here/overpass.osm"; echo '</osm>'; } > one.osm && standin ok one.osm ;;
    *) standin "$scenario" ;;
    esac
    printf "$old" > list.csv
    if "$import" --overpass "$url" list.csv osm:DE > /dev/null 2> err.txt || ! grep -qF "${row#*|}" err.txt ||
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
