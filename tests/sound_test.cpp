// Real playback through ALSA, captured by a "file" plugin of the test's own
// ALSA configuration: the samples checked are the ones ALSA was given.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "alarm/sounds.h"
#include "helpers.h"
#include "platform.h"
#include "tools/wav_out.h"

void resetTestPlatform() {}

namespace {

constexpr int kRate = 8000;

// ALSA's default device becomes a file of raw samples in the working
// directory; they are taken once the last sound, the quarter second of
// -5000, has been played to its end (10 s at most).
std::vector<short> playCaptured(const InTempDir& dir, void (*play)())
{
    writeFile("asound.conf", "pcm.!default { type file slave.pcm \"sink\" file \"" + dir.path +
                                 "/capture.raw\" format \"raw\" }\npcm.sink { type null }\n");
    setenv("ALSA_CONFIG_PATH", (dir.path + "/asound.conf").c_str(), 1);
    play();
    std::vector<short> samples;
    for (int wait = 0; wait < 200; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::string raw = readFile("capture.raw");
        samples.assign(raw.size() / 2, 0);
        memcpy(samples.data(), raw.data(), samples.size() * 2);
        size_t tail = 0;
        while (tail < samples.size() && samples[samples.size() - 1 - tail] == -5000) ++tail;
        if (tail >= static_cast<size_t>(kRate / 4)) break;
    }
    return samples;
}

// The ding is a rising ramp of one second, so each new start shows as a
// fall back to 1; the warning is a constant -5000 for a quarter second.
TEST(Sound, InnerAlarmGivesFourDingsEachCutOffByTheNextThenTheWarning)
{
    InTempDir dir;
    std::filesystem::create_directory("sounds");
    std::vector<short> ramp;
    for (int i = 0; i < kRate; ++i) ramp.push_back(static_cast<short>(i + 1));
    writeWav("sounds/ding.wav", ramp, kRate);
    writeWav("sounds/Achtung.wav", std::vector<short>(kRate / 4, -5000), kRate);
    std::vector<short> s = playCaptured(dir, [] { _beginthread(playAlarm4, 0, nullptr); });
    std::vector<size_t> starts;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] == 1 || (s[i] == -5000 && (i == 0 || s[i - 1] != -5000))) starts.push_back(i);
    ASSERT_EQ(starts.size(), 5u);
    for (size_t k = 1; k < starts.size(); ++k) {
        double ms = (starts[k] - starts[k - 1]) * 1000.0 / kRate;
        EXPECT_TRUE(ms > 60 && ms < 250) << "sound " << k << " after " << ms << " ms";  // about 100, never the whole second
    }
    EXPECT_EQ(s.size() - starts[4], static_cast<size_t>(kRate / 4));  // the last sound plays to its end
}

}  // namespace
