#!/usr/bin/env bash
# Spoken warnings measured: a 10 Hz drive at 90 km/h past three cameras and
# an average-speed section with speech=de, the sound card an ALSA file. For
# each phrase, the time from its pattern's first sound (started as the fix
# that crossed the level is handled) to the phrase's first sample, and the
# part of it after the pattern's end (the pattern's length from its sound
# files); then the CPU time of synthesis per phrase (speech_bench). With
# "arm64": an arm64 build of its own (cross-built as scripts/check-arm64.sh does) under qemu-aarch64.
#   bash bench/speech.sh [arm64]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
install_deps sox
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DPOIGUARD_BENCH=ON -DPOIGUARD_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target speech_bench poiguard gpssim soundgen >/dev/null
run=() bin=$PWD/build-bench
if [ "${1:-}" = arm64 ]; then
    install_arm64
    cmake -S . -B build-arm64-bench -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake -DCMAKE_BUILD_TYPE=Release \
        -DPOIGUARD_BENCH=ON -DPOIGUARD_TESTS=OFF >/dev/null
    cmake --build build-arm64-bench -j"$(nproc)" --target speech_bench poiguard >/dev/null
    run=(qemu-aarch64) bin=$PWD/build-arm64-bench
fi
dir=$(mktemp -d)
trap 'rm -rf "$dir" || true' EXIT
mkdir -p "$dir/vodudo" "$dir/sounds"
build-bench/soundgen "$dir/sounds" >/dev/null
printf '8.80000, 53.07000, fixed_50, 50\n8.80000, 53.07540, redlight_speed_80, 80\n8.80000, 53.08080, mobile_30, 30\n' \
    > "$dir/vodudo/gefahr.csv"
printf '8.80000, 53.08400, 8.80000, 53.08850, 80, 0.500, Abschnitt\n' > "$dir/vodudo/gefahr.sections.csv"
printf 'startProgram=true\ncomPort=5\nspeech=de\nmaxTimeNoData=3\n' > "$dir/config.txt"
printf 'pcm.!default { type file slave.pcm "sink" file "%s/played.raw" format "raw" }\npcm.sink { type null }\n' \
    "$dir" > "$dir/asound.conf"
echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')${run[*]:+, under ${run[*]}}"
# Both streams read as they come, each line stamped on arrival.
ding=$(soxi -D "$dir/sounds/ding.wav") warning=$(soxi -D "$dir/sounds/Achtung.wav")
python3 - "$dir" "$ding" "$warning" build-bench/gpssim "${run[@]}" "$bin/poiguard" <<'PY'
import os, signal, subprocess, sys, threading, time
d, ding, warning, sim, program = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), sys.argv[4], sys.argv[5:]
# The patterns' lengths: one ding; two 0.5 s apart; four 0.1 s apart and the warning; the warning alone.
length = {1: ding, 2: 0.5 + ding, 5: 0.4 + warning, "w": warning}
gps = subprocess.Popen([sim, "--link", d + "/COM5", "--wait", "--hold", "5", "--route", "53.0665,8.8:53.0900,8.8",
                        "--speed", "90", "--rate", "10"], stderr=subprocess.DEVNULL)
while not os.path.exists(d + "/COM5"): time.sleep(0.05)
env = dict(os.environ, POIGUARD_SOUND_TRACE="1", ALSA_CONFIG_PATH=d + "/asound.conf")
try:
    p = subprocess.Popen(program, cwd=d, env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
except OSError:
    gps.kill()
    raise
lines = []
def read(stream, name):
    for line in stream: lines.append((time.monotonic(), name, line.rstrip("\n")))
threads = [threading.Thread(target=read, args=(p.stdout, "out")), threading.Thread(target=read, args=(p.stderr, "err"))]
for t in threads: t.start()
while not any("serial.open successfully" in l for _, _, l in lines): time.sleep(0.05)
gps.send_signal(signal.SIGUSR1)
while not any("Got no data since" in l for _, _, l in lines): time.sleep(0.1)
p.terminate(); gps.terminate(); p.wait(); gps.wait()
for t in threads: t.join()
sounds, total, after = [], [], []
for t, name, line in sorted(lines):
    if name == "err" and line.startswith("(sound"):
        if sounds and t - sounds[-1][0] > 2: sounds = []
        sounds.append((t, "Achtung" in line))
    elif name == "err" and line.startswith("(speech"):
        n = len(sounds)
        pattern = length["w"] if n == 1 and sounds[0][1] else length.get(n, 0)
        ms = (t - sounds[0][0]) * 1000
        total.append(ms); after.append(ms - pattern * 1000)
        print("%6.0f ms from the fix, %4.0f ms after its pattern (%d sounds): %s" % (ms, ms - pattern * 1000, n, line))
        sounds = []
said = [l for _, n, l in lines if n == "out" and l.startswith("(speech")]
print("phrases said: %d, dropped: %d" % (len([l for l in said if "dropped" not in l]), len([l for l in said if "dropped" in l])))
if after:
    after.sort()
    print("after the pattern: median %.0f ms, at most %.0f ms" % (after[len(after) // 2], after[-1]))
PY
echo "== CPU time of synthesis per phrase"
ALSA_CONFIG_PATH=$dir/asound.conf "${run[@]}" "$bin/bench/speech_bench" de
