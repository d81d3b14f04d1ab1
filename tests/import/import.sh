#!/usr/bin/env bash
# poiguard-import-pois on small inputs: a GPX file with a track, the same data as
# KML and OV2 (converted by gpsbabel), OpenStreetMap XML and PBF (from
# import/, read under a German locale too), the program's own list and
# Garmin's CSV; each list is then loaded by the built poiguard. Inputs that
# give no POI leave the output as it was.
#   import.sh BUILD_DIR
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
import=$bin/poiguard-import-pois
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
. "$here/../e2e/lib.sh"
cd "$dir"
same() {  # legend, expected text, file; coordinates may differ by 0.00001 (OV2 keeps five decimals), other lines exactly
    if awk -F ', ' 'NR == FNR { e[FNR] = $0; n = FNR; next }
        { split(e[FNR], x, ", "); d1 = $1 - x[1]; d2 = $2 - x[2]; m = FNR
          if ($3 != x[3] || $4 != x[4] || $5 != x[5] || d1 * d1 > 2e-10 || d2 * d2 > 2e-10) bad = 1
          if ($1 !~ /^-?[0-9.]+$/ && ($1 != x[1] || $2 != x[2])) bad = 1 }
        END { exit bad || m != n }' <(echo "$2") "$3"; then
        echo "ok: $1"
    else printf 'FAILED: %s\n%s\n' "$1" "$(diff <(echo "$2") "$3")"; fail=1; fi
}
cp "$here"/in.gpx "$here"/in.osm .
gpsbabel -i gpx -f in.gpx -o kml,points=0 -F in.kml
gpsbabel -i gpx -f in.gpx -o tomtom -F in.ov2
osmium cat in.osm -o in.osm.pbf

# The twin 1.4 m from the northern camera is dropped; the cut names stay distinct.
gpx='-58.370000, -34.606000, Obelisco_Centro
8.800000, 53.074000, Blitzer_an_der_Hauptstrasse_Ric
8.800000, 53.080000, Blitzer_an_der_Hauptstrasse_R~2
8.000000, 50.000000, poi_5'
osm='11.500000, 48.100000, cam_50, 50
11.600000, 48.200000, Am_Tor
18.400000, -33.900000, cam'
"$import" gpx.csv in.gpx > gpx.txt
same "GPX: names, signs, the duplicate dropped" "$gpx" gpx.csv
same "GPX: the summary, its track left out" "import-pois: read in.gpx: 5; wrote 4 POIs to gpx.csv; dropped 1 as duplicates (within 5 m); left out 3 track and route points" gpx.txt
# gpsbabel named the nameless POI WPT005 when it wrote the KML file.
"$import" kml.csv in.kml > /dev/null
same "KML: as the GPX" "${gpx/poi_5/WPT005}" kml.csv
"$import" ov2.csv in.ov2 > /dev/null
same "OV2: as the GPX" "$gpx" ov2.csv
mkdir loc && localedef -i de_DE -f UTF-8 loc/de_DE.UTF-8
LOCPATH=$PWD/loc LANG=de_DE.UTF-8 "$import" osm.csv in.osm > /dev/null
same "OSM XML under a comma-decimal locale: the three cameras, named by maxspeed, name or kind" "$osm" osm.csv
"$import" pbf.csv in.osm.pbf in.gpx > /dev/null
same "OSM PBF and GPX merged, the nameless numbered in reading order" "$osm
${gpx/poi_5/poi_8}" pbf.csv
"$import" --tag amenity=cafe cafe.csv in.osm > /dev/null
same "other tags by option" "11.700000, 48.300000, Cafe" cafe.csv

# Headerless and longitude first: the program's own list and Garmin's POI
# Loader CSV (a byte-order mark, CR LF, a quoted comment with commas).
printf '%% mine\n9.127, 53.070, Blitzer\n' > own.csv
printf '\357\273\2772.35,48.85,"Radar Paris","Vitesse 50, sens Nord"\r\n' > fr.txt
"$import" own.csv own.csv fr.txt in.gpx > /dev/null
same "own list, Garmin CSV and GPX merged" "9.127000, 53.070000, Blitzer
2.350000, 48.850000, Radar_Paris
${gpx/poi_5/poi_7}" own.csv

# Limits and directions: a camera database (its rows numbered, a byte-order
# mark, CR LF, comments), read as the traffic's heading and as the way the
# camera looks; OpenStreetMap's directions, mph, forward/backward on a way
# and an enforcement relation.
printf '\357\273\277IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION // cameras\r\n// fixed ones\r\n0,8.8,53.074,1,50,1,0\r\n' > speedcam.txt
printf '1,8.8,53.08,2,80,2,90\r\n2,8.9,53.1,3,0,0,0\r\n3,9.0,53.3,5,30,1,359.6\r\n' >> speedcam.txt
"$import" cams.csv speedcam.txt > cams.txt
same "camera database: kinds, limits, directions" "8.800000, 53.074000, fixed_50, 50, 0
8.800000, 53.080000, redlight_speed_80, 80, 90/270
8.900000, 53.100000, redlight
9.000000, 53.300000, mobile_30, 30, 0" cams.csv
same "camera database: the summary counts limits and directions" \
    "import-pois: read speedcam.txt: 4; wrote 4 POIs to cams.csv; 3 with a speed limit, 3 with a direction; dropped 0 as duplicates (within 5 m)" cams.txt
"$import" --directions facing facing.csv speedcam.txt > /dev/null
same "camera database read as the way the camera looks" "$(head -2 cams.csv | sed 's/, 0$/, 180/; s|90/270|270/90|')" <(head -2 facing.csv)
cp "$here"/directions.osm .
"$import" dirs.csv directions.osm > dirs.txt
same "OSM: directions, mph rounded down and over 300 left out, relations (two devices, one device both ways)" "8.000000, 50.000000, cam_48, 48, 225
8.000000, 50.100000, cam, -, 274
8.000000, 50.400000, cam_112, 112
8.000000, 50.500000, cam
8.000000, 50.200000, cam_60, 60, 180
8.000000, 50.300000, cam_100, 100, 270
8.000000, 50.600000, cam_80, 80, 270
8.001000, 50.600000, cam_80, 80, 270
8.000000, 50.700000, cam_80, 80, 270/90" dirs.csv
check "OSM: the summary names the limit left out" grep -q "; left out 1 speed limits over 300 km/h" dirs.txt
check "OSM: average-speed sections beside the list, one along its ways" test "$(cat dirs.sections.csv)" = \
    "8.000000, 50.800000, 8.000000, 50.810000, 100, 1.189, A5_Nord
8.000000, 50.810000, 8.000000, 50.800000, 100, 1.112, section_100"
check "no sections, no file for them" test ! -e gpx.sections.csv

# Two cameras on one pole, one for each carriageway, are both kept; only a
# true duplicate (the same place, way and limit) is dropped; 360 and 360.0
# are north.
printf 'X,Y,TYPE,SPEED,DIRTYPE,DIRECTION\n9.1,53.4,1,80,1,0\n9.1,53.4,1,80,1,180\n9.1,53.4,1,80,1,0\n9.1,53.40001,1,100,1,0\n' > pole.txt
printf '9.2, 53.5, Nord, 50, 360\n9.2, 53.5, Sued, 50, 180\n9.2, 53.5, Nord2, 50, 360.0\n' > pole.csv
"$import" poles.csv pole.txt pole.csv > poles.txt
same "one pole, two ways: both kept, the true duplicates dropped" "9.100000, 53.400000, fixed_80, 80, 0
9.100000, 53.400000, fixed_80, 80, 180
9.100000, 53.400010, fixed_100, 100, 0
9.200000, 53.500000, Nord, 50, 0
9.200000, 53.500000, Sued, 50, 180" poles.csv
check "one pole: two dropped" grep -q "wrote 5 POIs.*dropped 2 as duplicates" poles.txt

# Every list loads in the program without an invalid line.
for list in gpx kml ov2 osm pbf own cams dirs poles; do
    mkdir -p "run-$list" && cd "run-$list"
    printf 'startProgram=true\ncomPort=99\npoiFile=../%s.csv\n' "$list" > config.txt
    "$bin/poiguard" > out.txt &
    for _ in $(seq 300); do grep -q "serial.open failed" out.txt && break; sleep 0.1; done
    kill $! && wait $! 2>/dev/null || true
    n=$(wc -l < "../$list.csv")
    same "$list: loaded by poiguard" "SUCCESS Loading POI list from ../$list.csv ... ready, found $n POIs" \
        <(grep -E "invalid|SUCCESS.*$list" out.txt)
    cd ..
done

# A replaced list keeps its mode; a new one is made under the umask.
chmod 640 own.csv && "$import" own.csv in.gpx > /dev/null && (umask 022 && "$import" new.csv in.gpx > /dev/null)
same "modes: the replaced list's kept, a new one's from the umask" "640, 644" <(stat -c %a own.csv new.csv | paste -sd, | sed 's/,/, /')

mkdir folder
check "a folder as OUTPUT: refused, nothing written in it" \
    test "$("$import" folder in.gpx 2>&1 >/dev/null; echo $?; ls -A folder)" = "import-pois: folder is a folder; give the list's file name (for example folder/gefahr.csv)
1"
sed '/<wpt/d' in.gpx > track.gpx
for bad in "missing.gpx|cannot read missing.gpx" "in.txt|in.txt: no POI found; expected rows under a first line" \
    "broken.gpx|gpsbabel cannot read broken.gpx" "track.gpx|track.gpx: no POI found; expected waypoints (track points"; do
    echo "not a POI file" > in.txt && cp in.txt broken.gpx && echo kept > out.csv
    if "$import" out.csv "${bad%%|*}" 2> err.txt || ! grep -qF "${bad#*|}" err.txt || [ "$(cat out.csv)" != kept ]; then
        echo "FAILED: ${bad%%|*}: $(cat err.txt)"; fail=1
    else echo "ok: ${bad%%|*} refused, the output left as it was"; fi
done
exit $fail
