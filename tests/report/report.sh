#!/usr/bin/env bash
# The drive report end to end: poiguard-report on the demo's recorded drive;
# its GPX well-formed and shaped as GPX 1.1 wants it; its page opened from
# its file by Debian's chromium, headless: what the scripts drew, no console
# message, no request beyond the file; a screenshot kept beside the build
# (report-screenshot.png). Then a 2-hour drive at 10 Hz: its page under
# 2 MB with the track thinned and every warning kept; the same standing at
# one place; a daily log given by mistake.
#   report.sh BUILD_DIR
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../e2e/lib.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
track=$here/demo-track.csv
warnings=$(grep -c ',[WS],' "$track")  # a section's events among them

"$bin/poiguard-report" --gpx "$dir/d.gpx" --html "$dir/d.html" "$track" > /dev/null
check "gpx: well-formed" xmllint --noout "$dir/d.gpx"
# The parts of GPX 1.1's schema the report uses: element order, times as
# xsd:dateTime, in order, one waypoint a warning, speeds in m/s.
check "gpx: shaped as GPX 1.1, one waypoint a warning, times in order" python3 - "$dir/d.gpx" "$warnings" <<'PY'
import re, sys, xml.etree.ElementTree as ET
g = "{http://www.topografix.com/GPX/1/1}"
x = "{http://www.garmin.com/xmlschemas/TrackPointExtension/v2}"
root = ET.parse(sys.argv[1]).getroot()
order = [c.tag for c in root]
assert root.tag == g + "gpx" and root.get("version") == "1.1", root.tag
assert order == sorted(order, key=[g + "metadata", g + "wpt", g + "trk"].index), order
point = [g + t for t in ("ele", "time", "name", "desc", "type", "extensions")]
times = []
for p in root.iter(g + "trkpt"):
    tags = [c.tag for c in p]
    assert tags == sorted(tags, key=point.index), tags
    times.append(p.find(g + "time").text)
    speed = p.find(f"{g}extensions/{x}TrackPointExtension/{x}speed")
    assert speed is None or 0 <= float(speed.text) < 100
for w in root.iter(g + "wpt"):
    assert [c.tag for c in w] == [g + "time", g + "name", g + "desc", g + "type"]
    assert -90 <= float(w.get("lat")) <= 90 and -180 <= float(w.get("lon")) <= 180
assert all(re.fullmatch(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d(\.\d+)?Z", t) for t in times)
assert times == sorted(times) and len(times) > 100, len(times)
assert len(list(root.iter(g + "wpt"))) == int(sys.argv[2])
PY

drawn=$(python3 "$here/browser.py" "$dir/d.html" "$bin/report-screenshot.png" 1100,1700)
echo "the page as drawn: ${drawn:0:300}"
check "page: the track drawn with its points, the section, a marker and a row per warning, no message, nothing fetched" \
    python3 - "$drawn" "$warnings" "$dir/d.html" <<'PY'
import json, sys
d, warnings = json.loads(sys.argv[1]), int(sys.argv[2])
assert d["paths"] and all(p["points"] == p["drawn"] >= 2 for p in d["paths"]), d["paths"]
assert d["warnings"] == d["rows"] == warnings > 0 and d["pois"] > 0 and d["speed"] == d["sections"] == 1, d
assert d["console"] == [] and d["resources"] == [], d
assert d["requests"] == ["file://" + sys.argv[3]], d["requests"]
PY

# Two hours at 10 Hz around a winding road, a warning a minute.
awk 'BEGIN {
    for (i = 0; i < 72000; i++) {
        s = i / 10; t = 1765180800 + s
        lat = 52 + s * 0.00022; lon = 9 + 0.02 * sin(s / 40)
        printf "%s.%dZ,F,%.6f,%.6f,%.1f,%.1f\n", strftime("%Y-%m-%dT%H:%M:%S", t, 1), i % 10, lon, lat, 80 + 40 * sin(s / 300), 10
        if (i % 600 == 0) printf "%s.%dZ,W,%.6f,%.6f,%d,0.300,80,%.6f,%.6f,Kamera %d\n", strftime("%Y-%m-%dT%H:%M:%S", t, 1), i % 10, lon, lat, i / 600 % 3 + 1, lon, lat + 0.003, i
    }
}' > "$dir/long.csv"
start=$(date +%s%N)
"$bin/poiguard-report" --html "$dir/long.html" "$dir/long.csv" > /dev/null
echo "a 2-hour drive at 10 Hz reported in $(( ($(date +%s%N) - start) / 1000000 )) ms, page $(stat -c %s "$dir/long.html") bytes"
check "long drive: the page under 2 MB" test "$(stat -c %s "$dir/long.html")" -lt 2000000
drawn=$(python3 "$here/browser.py" "$dir/long.html" "$dir/long.png" 1100,1700)
check "long drive: the track thinned to a few thousand points, all 120 warnings drawn" python3 - "$drawn" <<'PY'
import json, sys
d = json.loads(sys.argv[1])
assert 100 < sum(p["points"] for p in d["paths"]) <= 4100 and d["warnings"] == 120 and d["console"] == [], d
PY

# Standing at one place for two hours: a short speed plot.
awk 'BEGIN { for (i = 0; i < 72000; i++) printf "%s.%dZ,F,9.000000,52.000000,0.0,\n", strftime("%Y-%m-%dT%H:%M:%S", 1765180800 + i / 10, 1), i % 10 }' > "$dir/still.csv"
"$bin/poiguard-report" --html "$dir/still.html" "$dir/still.csv" > /dev/null
check "standing still: a page of a few points ($(stat -c %s "$dir/still.html") bytes)" test "$(stat -c %s "$dir/still.html")" -lt 30000

printf 'Version 3.0\nSerial Port: COM1\n' > "$dir/log_20261208.log"
code=0
"$bin/poiguard-report" --html "$dir/log.html" "$dir/log_20261208.log" > /dev/null 2> "$dir/err" || code=$?
cat "$dir/err"
check "a daily log: an error naming trackLog=true, exit 1, no page" \
    sh -c "[ $code = 1 ] && grep -q 'log_20261208.log is not a track.*trackLog=true' '$dir/err' && [ ! -e '$dir/log.html' ]"
exit $fail
