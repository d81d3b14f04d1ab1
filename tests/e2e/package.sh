#!/usr/bin/env bash
# The Debian package as a user meets it: installed with dpkg, its units
# checked by systemd-analyze, the installed program run from its installed
# paths in a scratch working directory against the simulator, then removed
# and purged, leaving nothing of it behind.
#   package.sh DEB BUILD_DIR   (as root; BUILD_DIR holds gpssim)
set -euo pipefail
deb=$(realpath "$1") sim=$(realpath "$2")/gpssim
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
. "$(dirname "$0")/lib.sh"
dpkg-deb -c "$deb" | awk '{print substr($6, 2)}' | grep -v '/$' > "$dir/files"
dpkg -i "$deb" > /dev/null
check "installed: poiguard --version" test "$(poiguard --version)" = "poiguard $(dpkg-deb -f "$deb" Version)"
check "the units pass systemd-analyze verify" \
    systemd-analyze verify /lib/systemd/system/poiguard.service /lib/systemd/system/poiguard-gpsd-bridge.service
exposure=$(systemd-analyze security --offline=true /lib/systemd/system/poiguard.service | grep -o 'level for poiguard.service: [0-9.]*' | grep -o '[0-9.]*$')
check "the service's exposure is low: $exposure" awk "BEGIN { exit !($exposure < 2) }"

# The installed program, its sounds and its (empty) built-in list.
mkdir -p "$dir/run" && ln -s /usr/share/poiguard/sounds "$dir/run/sounds"
"$(dirname "$0")/run-drive.sh" "$sim" "$dir/run" "$dir/run/COM5" 'grep -q "POI in the near 0.1" out.txt' /usr/bin/poiguard
cd "$dir/run"
check "the built-in list is the package's" grep -q "SUCCESS Loading POI list from /etc/poiguard/vodudo/gefahr.csv ... ready, found 0 POIs" out.txt
check "positions" grep -q "^length=00848.0000 (8.800000) wide=5304.3" out.txt
check "a near-POI line" grep -q "POI in the near 0.1.*name=Blitzer" out.txt
cd /

dpkg -r poiguard > /dev/null
check "removed: only the configuration is left" test "$(while read -r f; do [ -e "$f" ] && echo "$f"; done < "$dir/files" | tr '\n' ' ')" = "/etc/poiguard/config.txt /etc/poiguard/vodudo/gefahr.csv "
dpkg --purge poiguard > /dev/null
check "purged: nothing is left" test -z "$(while read -r f; do [ -e "$f" ] && echo "$f"; done < "$dir/files"; ls -d /etc/poiguard /usr/share/poiguard /usr/share/doc/poiguard 2>/dev/null)"
exit $fail
