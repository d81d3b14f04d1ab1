#!/usr/bin/env bash
# The same drive for poiguard.exe under Wine, whose COM5 is the simulator's
# pseudo-terminal (Wine maps COM ports through its prefix's dosdevices
# links), and for the Linux build; both must print the same lines for the
# positions they both received.
#   drive-wine.sh LINUX_BUILD_DIR WINDOWS_BUILD_DIR WINE
set -euo pipefail
linux=$(realpath "$1") windows=$(realpath "$2") wine=$3
here=$(cd "$(dirname "$0")" && pwd)
: "${WINEPREFIX:?}"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

"$here/run-drive.sh" "$linux/gpssim" "$dir/win" "$WINEPREFIX/dosdevices/com5" "Got no data since 3sec" "$wine" "$windows/poiguard.exe"
"$here/run-drive.sh" "$linux/gpssim" "$dir/linux" "$dir/linux/COM5" "Got no data since 3sec" "$linux/poiguard"

# What a drive decides: positions, nearest POIs, POIs in the near.
decisions() { tr -d '\r' < "$1" | grep -E '^(length=|nearest POI|POI in the near|[0-9]+ POIs are)' || true; }
decisions "$dir/win/out.txt" > "$dir/win.txt"
decisions "$dir/linux/out.txt" > "$dir/linux.txt"
first=$(grep '^length=' "$dir/win.txt" | grep -m1 -xFf <(grep '^length=' "$dir/linux.txt") || true)
if [ -z "$first" ]; then
    echo "the Windows run received no position the Linux run also had"; head -40 "$dir/win/out.txt"; exit 1
fi
# Both from the first position both runs received, as far as both go.
sed -n "/^$(printf '%s' "$first" | sed 's/[][\.*^$/]/\\&/g')\$/,\$p" "$dir/win.txt" > "$dir/a"
sed -n "/^$(printf '%s' "$first" | sed 's/[][\.*^$/]/\\&/g')\$/,\$p" "$dir/linux.txt" > "$dir/b"
n=$(( $(wc -l < "$dir/a") < $(wc -l < "$dir/b") ? $(wc -l < "$dir/a") : $(wc -l < "$dir/b") ))
if ! diff <(head -n "$n" "$dir/a") <(head -n "$n" "$dir/b") > "$dir/diff"; then
    echo "Windows and Linux runs differ:"; head -30 "$dir/diff"; exit 1
fi
grep -q "POI in the near 0.0" "$dir/a" || { echo "no alarm range reached under Wine"; exit 1; }
grep -q "Got no data since 3sec" "$dir/win/out.txt" || { echo "no watchdog under Wine"; exit 1; }
echo "ok: Windows and Linux agree on $n lines"
