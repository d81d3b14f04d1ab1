#!/usr/bin/env bash
# The Debian package as a user meets it: installed with dpkg, its units
# checked by systemd-analyze, the README's Install steps followed and the
# service's program run as its own unprivileged user against the simulator,
# then removed and purged, leaving nothing of it behind.
#   package.sh DEB BUILD_DIR   (as root; BUILD_DIR holds gpssim)
set -euo pipefail
deb=$(realpath "$1") sim=$(realpath "$2")/gpssim
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' | grep -v '/$' > "$dir/files"
dpkg -i "$deb" > /dev/null
check "installed: poiguard --version" test "$(poiguard --version)" = "poiguard $(dpkg-deb -f "$deb" Version)"
# The maintainer scripts, through Debian's helpers, which work without a
# running systemd: the service enabled on install, its state recorded.
wants=/etc/systemd/system/multi-user.target.wants/poiguard.service
state=/var/lib/systemd/deb-systemd-helper-enabled
check "the service is enabled on install" test "$(readlink "$wants")" = /lib/systemd/system/poiguard.service
check "the helpers recorded its links" grep -qx "$wants" "$state/poiguard.service.dsh-also"
check "the unit passes systemd-analyze verify" systemd-analyze verify /lib/systemd/system/poiguard.service
# The list is data: made once by the package, never a conffile dpkg asks about.
check "conffiles: config.txt and update.conf only" \
    test "$(dpkg-query -W -f='${Conffiles}' poiguard | awk 'NF {print $1}' | tr '\n' ' ')" = "/etc/poiguard/config.txt /etc/poiguard/update.conf "
check "the empty list is made on install" grep -q "^% poiguard's POI list" /etc/poiguard/vodudo/gefahr.csv
check "the service's user and its log folder (group adm)" test "$(stat -c %U:%G:%a /var/log/poiguard)" = poiguard:adm:2750
for board in ttyS ttyUSB ttyACM ttyAMA ttyTHS ttymxc; do
    check "the service may open /dev/$board*" grep -qx "DeviceAllow=char-$board rw" /lib/systemd/system/poiguard.service
done
exposure() { systemd-analyze security --offline=true poiguard.service | grep -o 'level for poiguard.service: [0-9.]*' | grep -o '[0-9.]*$'; }
level=$(exposure)
check "the service's exposure is low: $level" awk "BEGIN { exit !($level < 2) }"
# The README's drop-in for gpsd opens the loopback interface, and no more.
drop_in=/etc/systemd/system/poiguard.service.d
mkdir -p "$drop_in" && cp /usr/share/doc/poiguard/examples/gpsd.conf "$drop_in/"
level=$(exposure)
check "with the gpsd drop-in, still low: $level" awk "BEGIN { exit !($level < 2) }"
rm -rf "$drop_in"

# The README's Install steps: the list imported over the built-in one, the
# configuration edited; then the service's own ExecStartPre lines and
# program, run as an unprivileged user in its working directory, as systemd
# runs them, against the simulator.
poiguard-import-pois /etc/poiguard/vodudo/gefahr.csv "$here/../import/in.gpx" > /dev/null
sed -i 's/^startProgram=false/startProgram=true/' /etc/poiguard/config.txt
unit=/lib/systemd/system/poiguard.service
chmod 755 "$dir" && mkdir -p "$dir/run" && chown poiguard "$dir/run" && cd "$dir/run"
export POIGUARD_DEVICE=$dir/gps0
sed -n 's/^ExecStartPre=//p' "$unit" | while read -r line; do eval "$line"; done
as_service="chmod 666 \"\$(readlink -f COM1)\" && umask $(sed -n 's/^UMask=//p' "$unit") && exec setpriv --reuid=poiguard --regid=poiguard --clear-groups $(sed -n 's/^ExecStart=//p' "$unit")"
# systemctl reload runs the unit's ExecReload line with the program's process as $MAINPID.
export reload; reload=$(sed -n 's/^ExecReload=//p' "$unit")
"$here/run-drive.sh" "$sim" "$dir/run" "$POIGUARD_DEVICE" 'grep -q "POI in the near 0.1" out.txt &&
    { [ -e reloaded ] || { MAINPID=$program && eval "$reload" && touch reloaded; }; } && grep -q "SUCCESS Reloading" out.txt' \
    bash -c "$as_service"
check "the imported list is read by the service's user" \
    grep -q "SUCCESS Loading POI list from /etc/poiguard/vodudo/gefahr.csv ... ready, found 4 POIs" out.txt
check "positions in the log file, not on the console (quietConsole=true)" \
    test "$(grep -c "^length=00848.0000 (8.800000) wide=5304.3" out.txt logs/log_*.log | cut -d: -f2 | sed 's/^[1-9][0-9]*$/n/' | tr '\n' ' ')" = "0 n "
check "a near-POI line" grep -q "POI in the near 0.1.*name=Blitzer_an_der_Hauptstrasse_Ric" out.txt
check "systemctl reload reads the list again" \
    grep -q "SUCCESS Reloading POI list from /etc/poiguard/vodudo/gefahr.csv ... found 4 POIs, 1 of them already announced" out.txt
check "the drive's track (trackLog=true) and its report" \
    bash -c 'poiguard-report --html drive.html --gpx drive.gpx logs/track_*.csv | grep -q "warnings" && grep -q "<svg id=\"map\"" drive.html'
check "the track in /var/log/poiguard, readable by the group adm" \
    test "$(stat -c %G:%a /var/log/poiguard/track_*.csv)" = adm:640
check "the report's man page shows where" bash -c 'zcat /usr/share/man/man1/poiguard-report.1.gz | grep -q /var/log/poiguard/track_'
cd /

# The weekly download: off until an area is set, then the timer's service run
# as systemd runs it, against a stand-in for the Overpass API: at each boot
# and every half hour, downloading when the last download is a week old.
timer=/lib/systemd/system/poiguard-update
check "the units of the weekly download pass systemd-analyze verify" systemd-analyze verify "$timer.service" "$timer.timer"
check "the weekly download's timer is off after install" test ! -e /etc/systemd/system/timers.target.wants/poiguard-update.timer
check "the timer: minutes after boot, every half hour, no day's delay" \
    test "$(grep -E '^(OnBootSec|OnUnitInactiveSec|RandomizedDelaySec|Persistent|OnCalendar)=' "$timer.timer" | tr '\n' ' ')" = \
    "OnBootSec=2min OnUnitInactiveSec=30min RandomizedDelaySec=1min "
check "the service: after the network, one line a try" \
    test "$(grep -E '^(After|SyslogLevel|LogLevelMax)=' "$timer.service" | tr '\n' ' ')" = "After=network-online.target SyslogLevel=notice LogLevelMax=notice "
run_update() {
    (set +u -a && . /etc/poiguard/update.conf && set +a && export STATE_DIRECTORY=$dir/state &&
        eval "$(sed -n 's/^ExecStart=//p' "$timer.service")")
}
check "no AREA: nothing downloaded, said so" test "$(run_update 2>&1)" = "No AREA in /etc/poiguard/update.conf: nothing to download"
printf 'AREA=DE\nPOIGUARD_OVERPASS=http://127.0.0.1:9/api/interpreter\n' >> /etc/poiguard/update.conf
check "offline: one line, the list as it was" test "$(run_update 2>&1)" = "import-pois: osm:DE: cannot connect to http://127.0.0.1:9/api/interpreter (no network, or the service is down); /etc/poiguard/vodudo/gefahr.csv is left as it was; next try in half an hour, or after the next boot"
python3 "$here/../import/overpass_standin.py" "$dir/port" "$dir/queries" "$here/../import/overpass.osm" ok &
wait_for "[ -s '$dir/port' ]"
printf 'POIGUARD_OVERPASS=http://127.0.0.1:%s/api/interpreter\n' "$(cat "$dir/port")" >> /etc/poiguard/update.conf
check "with AREA=DE: the list downloaded over the built-in one" run_update
check "the downloaded list is the answer's" grep -q "^8.900000, 53.100000, Weserbrücke$" /etc/poiguard/vodudo/gefahr.csv
check "half an hour later: not due, nothing asked" test -z "$(run_update 2>&1)" -a "$(grep -c "^poiguard-import-pois/" "$dir/queries")" = 1
touch -d '7 days ago' "$dir/state/last-download"
check "a week later: downloaded again" run_update
kill %% 2>/dev/null || true

dpkg -r poiguard > /dev/null
check "removed: only the configuration is left" test "$(while read -r f; do [ -e "$f" ] && echo "$f"; done < "$dir/files" | tr '\n' ' ')" = "/etc/poiguard/config.txt /etc/poiguard/update.conf "
check "removed: the list and the drives stay" test -s /etc/poiguard/vodudo/gefahr.csv -a -n "$(ls /var/log/poiguard)"
dpkg --purge poiguard > /dev/null
check "purged: nothing is left" test -z "$(while read -r f; do [ -e "$f" ] && echo "$f"; done < "$dir/files"; ls -d /etc/poiguard /usr/share/poiguard /usr/share/doc/poiguard /var/log/poiguard /var/lib/poiguard 2>/dev/null)"
check "purged: no enable link, no helper state" test -z "$(ls -d "$wants" "$state"/*poiguard* 2>/dev/null)"
exit $fail
