// Real playback through ALSA, captured by a "file" plugin of the test's own
// ALSA configuration: the samples checked here are the ones ALSA was given.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include <cstring>
#include <thread>

#include "alarm/sounds.h"
#include "helpers.h"
#include "platform.h"

namespace {

constexpr int kRate = 8000;

void writeWav(const std::string& path, std::vector<short> samples)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    sf_write_short(f, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(f);
}

// ALSA's default device becomes a file of raw samples in the working directory.
void captureAlsa(const InTempDir& dir)
{
    writeFile("asound.conf", "pcm.!default { type file slave.pcm \"sink\" file \"" + dir.path +
                                 "/capture.raw\" format \"raw\" }\npcm.sink { type null }\n");
    setenv("ALSA_CONFIG_PATH", (dir.path + "/asound.conf").c_str(), 1);
}

std::vector<short> captured()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // let the player finish
    std::string raw = readFile("capture.raw");
    std::vector<short> samples(raw.size() / 2);
    memcpy(samples.data(), raw.data(), samples.size() * 2);
    return samples;
}

// The ding is a rising ramp of one second, so each new start shows as a
// fall back to 0; the warning sound is a constant -5000.
TEST(Sound, InnerAlarmGivesFourDingsCutOffByTheNextThenTheWarning)
{
    InTempDir dir;
    captureAlsa(dir);
    std::filesystem::create_directory("sounds");
    std::vector<short> ramp;
    for (int i = 0; i < kRate; ++i) ramp.push_back(static_cast<short>(i + 1));
    writeWav("sounds/ding.wav", ramp);
    writeWav("sounds/Achtung.wav", std::vector<short>(kRate / 4, -5000));

    _beginthread(playAlarm4, 0, nullptr);
    std::vector<short> s = captured();
    std::vector<size_t> dingStarts;
    size_t warningStart = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == 1) dingStarts.push_back(i);
        if (s[i] == -5000 && warningStart == 0) warningStart = i;
    }
    ASSERT_EQ(dingStarts.size(), 4u);
    ASSERT_GT(warningStart, dingStarts[3]);
    std::vector<size_t> starts = dingStarts;
    starts.push_back(warningStart);
    for (size_t k = 1; k < starts.size(); ++k) {
        double ms = (starts[k] - starts[k - 1]) * 1000.0 / kRate;
        EXPECT_GT(ms, 60) << "sound " << k;   // about 100 ms of each ding
        EXPECT_LT(ms, 250) << "sound " << k;  // and never the whole second
    }
    size_t warningSamples = s.size() - warningStart;
    EXPECT_EQ(warningSamples, static_cast<size_t>(kRate / 4));  // the last sound plays to its end
}

TEST(Sound, MissingFileGivesTheDefaultTone)
{
    InTempDir dir;
    captureAlsa(dir);
    PlaySoundA("sounds\\missing.wav", nullptr, SND_FILENAME | SND_ASYNC);
    std::vector<short> s = captured();
    ASSERT_GT(s.size(), 1000u);
    short loudest = 0;
    for (short v : s) loudest = std::max<short>(loudest, static_cast<short>(std::abs(v)));
    EXPECT_GT(loudest, 5000);
}

TEST(Sound, WithoutAUsableDeviceCallsReturnAtOnceAndSaySomethingNowhere)
{
    InTempDir dir;
    writeFile("asound.conf", "pcm.!default { type hw card 97 }\n");
    setenv("ALSA_CONFIG_PATH", (dir.path + "/asound.conf").c_str(), 1);
    testing::internal::CaptureStderr();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i) PlaySoundA("sounds\\ding.wav", nullptr, SND_FILENAME | SND_ASYNC);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_LT(seconds, 1.0);  // never waits for playback
}

}  // namespace

void resetTestPlatform() {}
