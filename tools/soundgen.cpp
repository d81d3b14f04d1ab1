// soundgen DIR: writes the program's two sounds, synthesised here.
//   DIR/ding.wav     a short bright chime, 80 ms, so the four dings of the
//                    inner alarm (100 ms apart) stay distinct
//   DIR/Achtung.wav  a two-tone warning, 500 ms
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "wav_out.h"

namespace {

constexpr int kRate = 44100;

// Smooth ends: a click at a cut would sound like a second ding.
double fade(int i, int length, int fadeSamples)
{
    return std::min(1.0, std::min(i, length - 1 - i) / static_cast<double>(fadeSamples));
}

std::vector<short> ding()
{
    int length = kRate * 80 / 1000;
    std::vector<short> out;
    for (int i = 0; i < length; ++i) {
        double t = static_cast<double>(i) / kRate;
        double tone = sin(2 * M_PI * 1760 * t) + 0.5 * sin(2 * M_PI * 2637 * t) + 0.25 * sin(2 * M_PI * 3520 * t);
        double envelope = exp(-t / 0.025) * fade(i, length, kRate / 500);
        out.push_back(static_cast<short>(14000 * envelope * tone / 1.75));
    }
    return out;
}

std::vector<short> warning()
{
    const double tones[] = {988, 740, 988, 740};
    int segment = kRate * 125 / 1000;
    std::vector<short> out;
    for (double hz : tones)
        for (int i = 0; i < segment; ++i) {
            double t = static_cast<double>(i) / kRate;
            double tone = sin(2 * M_PI * hz * t) + 0.3 * sin(2 * M_PI * 3 * hz * t);
            out.push_back(static_cast<short>(16000 * fade(i, segment, kRate / 200) * tone / 1.3));
        }
    return out;
}

bool write(const std::string& path, const std::vector<short>& samples)
{
    if (writeWav(path, samples, kRate)) return true;
    fprintf(stderr, "soundgen: cannot write %s: %s\n", path.c_str(), sf_strerror(nullptr));
    return false;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || argv[1][0] == '-') {
        bool asked = argc == 2 && strcmp(argv[1], "--help") == 0;
        fprintf(asked ? stdout : stderr, "Usage: soundgen DIR\nWrites the program's sounds, DIR/ding.wav and DIR/Achtung.wav.\n");
        return asked ? 0 : 2;
    }
    std::string dir = argv[1];
    return write(dir + "/ding.wav", ding()) && write(dir + "/Achtung.wav", warning()) ? 0 : 1;
}
