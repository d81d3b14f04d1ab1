#!/usr/bin/env bash
# The Windows download as a user meets it: the zip unpacked into an empty
# folder, its config.txt edited to the simulator's port (COM5, a
# pseudo-terminal Wine maps through its prefix's dosdevices links), and
# poiguard.exe run there under Wine; then the Linux build with the same
# files. Both must print the same lines for the positions they both received.
#   drive-wine.sh LINUX_BUILD_DIR ZIP WINE
set -euo pipefail
linux=$(realpath "$1") zip=$(realpath "$2") wine=$3
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:?}"
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT

mkdir "$dir/unpacked" && (cd "$dir/unpacked" && cmake -E tar xf "$zip")
win=$dir/unpacked/poiguard
sed -i 's/^startProgram=false/startProgram=true/; s/^comPort=.*/comPort=5/' "$win/config.txt"
printf 'updateInterval=2\r\nmaxTimeNoData=3\r\n' >> "$win/config.txt"
mkdir "$dir/linux" && cp -r "$win/config.txt" "$win/vodudo" "$dir/linux/"
"$here/run-drive.sh" "$linux/gpssim" "$win" "$WINEPREFIX/dosdevices/com5" "Got no data since 3sec" "$wine" "$win/poiguard.exe"
"$here/run-drive.sh" "$linux/gpssim" "$dir/linux" "$dir/linux/COM5" "Got no data since 3sec" "$linux/poiguard"
[ "$(tr -d '\r' < "$win"/logs/log_*.log)" = "$(tr -d '\r' < "$win/out.txt")" ] ||
    { echo "the Windows log file under logs\\ differs from the console"; exit 1; }

# What a drive decides: positions, POIs in the near, POIs within 30 km. (The
# order of the nearest-POI lines between two re-orderings depends on when
# each run re-orders, which is a matter of the clock.)
decisions() { tr -d '\r' < "$1" | grep -E '^(length=|POI in the near|[0-9]+ POIs are)' || true; }
decisions "$win/out.txt" > "$dir/win.txt"
decisions "$dir/linux/out.txt" > "$dir/linux.txt"
first=$(grep '^length=' "$dir/win.txt" | grep -m1 -xFf <(grep '^length=' "$dir/linux.txt") || true)
if [ -z "$first" ]; then
    echo "the Windows run received no position the Linux run also had"; head -40 "$win/out.txt"; exit 1
fi
# Both from the first position both runs received, as far as both go.
sed -n "/^$(printf '%s' "$first" | sed 's/[][\.*^$/]/\\&/g')\$/,\$p" "$dir/win.txt" > "$dir/a"
sed -n "/^$(printf '%s' "$first" | sed 's/[][\.*^$/]/\\&/g')\$/,\$p" "$dir/linux.txt" > "$dir/b"
n=$(( $(wc -l < "$dir/a") < $(wc -l < "$dir/b") ? $(wc -l < "$dir/a") : $(wc -l < "$dir/b") ))
if ! diff <(head -n "$n" "$dir/a") <(head -n "$n" "$dir/b") > "$dir/diff"; then
    echo "Windows and Linux runs differ:"; head -30 "$dir/diff"; exit 1
fi
grep -q "POI in the near 0.0" "$dir/a" || { echo "no alarm range reached under Wine"; exit 1; }
grep -q "Got no data since 3sec" "$win/out.txt" || { echo "no watchdog under Wine"; exit 1; }
echo "ok: Windows and Linux agree on $n lines"
