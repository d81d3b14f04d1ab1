#!/usr/bin/env bash
# The short drive with poiguard under valgrind's memcheck: no error allowed.
#   valgrind.sh BUILD_DIR
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
"$here/run-drive.sh" "$bin/gpssim" "$dir" "$dir/COM5" \
    valgrind --log-file="$dir/valgrind.txt" --leak-check=no "$bin/poiguard"
grep -q "^length=" "$dir/out.txt" || { echo "no position under valgrind"; head -40 "$dir/out.txt"; exit 1; }
grep -q "POI in the near" "$dir/out.txt" || { echo "no alarm range reached under valgrind"; exit 1; }
if ! grep -q "ERROR SUMMARY: 0 errors" "$dir/valgrind.txt"; then
    cat "$dir/valgrind.txt"; exit 1
fi
echo "ok: valgrind found no error"
