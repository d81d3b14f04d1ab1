#!/usr/bin/env bash
# End to end with speech=de: a drive at 90 km/h, 10 fixes a second, past a
# camera of the importer's kind fixed_50 with the sound card an ALSA file.
# Each pattern is followed by its phrase (the trace shows each sound and
# phrase as it starts), the phrases reach the console and the track, and
# the file holds their audio.
#   speech.sh BUILD_DIR
set -euo pipefail
bin=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
mkdir -p "$dir/de"
printf 'pcm.!default { type file slave.pcm "sink" file "%s/de/played.raw" format "raw" }\npcm.sink { type null }\n' \
    "$dir" > "$dir/asound.conf"
ALSA_CONFIG_PATH=$dir/asound.conf POIS='8.80000, 53.07400, fixed_50, 50\n' SETTINGS='speech=de\ntrackLog=true\n' \
    SIMFLAGS='--route 53.0700,8.8000:53.0750,8.8000 --speed 90 --rate 10' \
    "$here/run-drive.sh" "$bin/gpssim" "$dir/de" "$dir/de/COM5" \
    "grep -q 'Got no data since 3sec' out.txt && grep -q 'serial.Close()' out.txt && sleep 1" "$bin/poiguard"
out=$dir/de/out.txt
check "the phrases on the console" test "$(grep '^(speech' "$out" | tr '\n' '|')" = \
    "(speech: Blitzer in 300 Metern, 50)|(speech: Blitzer in 150 Metern, 50, zu schnell)|(speech: Blitzer in 50 Metern, 50, zu schnell)|"
check "each phrase starts after its pattern: 2 dings of the first data, 1, 2, 4 and the warning" \
    test "$(sed 's/^(sound.*/s/; s/^(speech.*/V/' "$dir/de/err.txt" | tr -d '\n')" = "sssVssVsssssV"
check "the track holds the phrases" test "$(grep -c ',V,.*Blitzer in' "$dir"/de/logs/track_*.csv)" = 3
"$bin/poiguard-report" --html "$dir/de.html" "$dir"/de/logs/track_*.csv > /dev/null
check "the report lists what was said at its warning" grep -q '"level":2,.*"said":"Blitzer in 150 Metern, 50, zu schnell"' "$dir/de.html"
# The phrases are most of what was played: more than 3 s of samples at eSpeak's 22050 Hz.
check "the sound card got the phrases" test "$(stat -c %s "$dir/de/played.raw")" -gt $((3 * 22050 * 2))
[ $fail -eq 0 ] || cat "$out" "$dir/de/err.txt" | grep -v '^nearest\|^length' | head -60
exit $fail
