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
# Without estimates: they follow each run's clock, so the two runs could not agree on them.
sed -i 's/^startProgram=false/startProgram=true/; s/^comPort=.*/comPort=5/; s/^coastSeconds=/#coastSeconds=/' "$win/config.txt"
printf 'updateInterval=2\r\nmaxTimeNoData=3\r\n' >> "$win/config.txt"
mkdir "$dir/linux" && cp -r "$win/config.txt" "$win/vodudo" "$dir/linux/"
"$here/run-drive.sh" "$linux/gpssim" "$win" "$WINEPREFIX/dosdevices/com5" 'grep -q "Got no data since 3sec" out.txt' "$wine" "$win/poiguard.exe"
"$here/run-drive.sh" "$linux/gpssim" "$dir/linux" "$dir/linux/COM5" 'grep -q "Got no data since 3sec" out.txt' "$linux/poiguard"
[ "$(tr -d '\r' < "$win"/logs/log_*.log)" = "$(tr -d '\r' < "$win/out.txt")" ] ||
    { echo "the Windows log file under logs\\ differs from the console"; exit 1; }

# What a drive decides: positions, POIs in the near, POIs within 30 km. (The
# order of the nearest-POI lines between two re-orderings depends on when
# each run re-orders, which is a matter of the clock.) Both runs from the
# first position both received, as far as both go, must agree.
decisions() { tr -d '\r' < "$1" | grep -E '^(length=|POI in the near|[0-9]+ POIs are)' || true; }
first=$(decisions "$win/out.txt" | grep -m1 -xFf <(decisions "$dir/linux/out.txt" | grep '^length=')) ||
    { echo "the Windows run received no position the Linux run also had"; head -40 "$win/out.txt"; exit 1; }
decisions "$win/out.txt" | awk -v f="$first" '$0 == f { on = 1 } on' > "$dir/a"
decisions "$dir/linux/out.txt" | awk -v f="$first" '$0 == f { on = 1 } on' > "$dir/b"
n=$(sort -n <(wc -l < "$dir/a") <(wc -l < "$dir/b") | head -1)
diff <(head -n "$n" "$dir/a") <(head -n "$n" "$dir/b") || { echo "Windows and Linux runs differ"; exit 1; }
grep -q "POI in the near 0.0" "$dir/a" || { echo "no alarm range reached under Wine"; exit 1; }
grep -q "Got no data since 3sec" "$win/out.txt" || { echo "no watchdog under Wine"; exit 1; }
echo "ok: Windows and Linux agree on $n lines"
