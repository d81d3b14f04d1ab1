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
#include "platform/posix/speech_espeak.h"
#include "speech/speaker.h"
#include "tools/wav_out.h"

void resetTestPlatform() {}

namespace {

constexpr int kRate = 8000;

void captureSound(const InTempDir& dir)
{
    writeFile("asound.conf", "pcm.!default { type file slave.pcm \"sink\" file \"" + dir.path +
                                 "/capture.raw\" format \"raw\" }\npcm.sink { type null }\n");
    setenv("ALSA_CONFIG_PATH", (dir.path + "/asound.conf").c_str(), 1);
}

// ALSA's default device becomes a file of raw samples in the working
// directory; they are taken once the last sound, the quarter second of
// -5000, has been played to its end, or with a phrase to say, once the file
// has stopped growing (10 s at most).
std::vector<short> playCaptured(const InTempDir& dir, void (*play)(), bool phrase = false)
{
    captureSound(dir);
    play();
    std::vector<short> samples;
    for (int wait = 0; wait < 200; ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(phrase ? 500 : 50));
        std::string raw = readFile("capture.raw");
        bool grew = raw.size() / 2 != samples.size();
        samples.assign(raw.size() / 2, 0);
        memcpy(samples.data(), raw.data(), samples.size() * 2);
        size_t tail = 0;
        while (tail < samples.size() && samples[samples.size() - 1 - tail] == -5000) ++tail;
        if (phrase ? !grew && wait > 2 : tail >= static_cast<size_t>(kRate / 4)) break;
    }
    return samples;
}

void writeSounds()
{
    std::filesystem::create_directory("sounds");
    std::vector<short> ramp;
    for (int i = 0; i < kRate; ++i) ramp.push_back(static_cast<short>(i + 1));
    writeWav("sounds/ding.wav", ramp, kRate);
    writeWav("sounds/Achtung.wav", std::vector<short>(kRate / 4, -5000), kRate);
}

// The ding is a rising ramp of one second, so each new start shows as a
// fall back to 1; the warning is a constant -5000 for a quarter second.
TEST(Sound, InnerAlarmGivesFourDingsEachCutOffByTheNextThenTheWarning)
{
    InTempDir dir;
    writeSounds();
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

// Every phrase of both tables becomes speech of a length that fits its
// words: from 6 to 25 characters a second, as eSpeak NG reads at 175 words
// a minute.
TEST(Speech, EveryPhraseOfBothTablesSynthesized)
{
    InTempDir dir;
    captureSound(dir);
    for (const char* language : {"de", "en"}) {
        Speaker speaker;
        std::string why;
        ASSERT_TRUE(speaker.start(language, why)) << why;
        const PhraseTable& t = speaker.phrases();
        std::vector<std::string> said = {sectionEnteredPhrase(t, 2, 80), sectionOverPhrase(t, 90, 75),
                                         sectionOverPhrase(t, 90, -1), sectionLeftPhrase(t, 78)};
        for (const char* code : kKindCodes) said.push_back(approachPhrase(t, code, 50, 0.3, 80));
        for (const std::string& text : said) {
            double seconds = synthesizeSpeech(text).size() / static_cast<double>(speechRate());
            EXPECT_TRUE(seconds > text.size() / 25.0 && seconds < text.size() / 6.0) << text << ": " << seconds << " s";
        }
    }
}

// The phrase follows its pattern's last sound, played to its end.
TEST(Speech, PhraseAfterThePattern)
{
    InTempDir dir;
    writeSounds();
    static Speaker speaker;  // its pattern's thread may outlive the test
    std::vector<short> s = playCaptured(dir, [] {
        std::string why;
        if (speaker.start("en", why)) speaker.say(playAlarm4, {"fixed_50", 9, 53}, 0.05, "Speed camera in 50 metres");
    }, true);
    size_t end = 0, run = 0;  // the end of the warning's whole quarter second
    for (size_t i = 0; i < s.size() && run < static_cast<size_t>(kRate / 4); ++i) {
        run = s[i] == -5000 ? run + 1 : 0;
        end = i + 1;
    }
    ASSERT_EQ(run, static_cast<size_t>(kRate / 4));
    size_t loud = 0;
    for (size_t i = end; i < s.size(); ++i) loud += abs(s[i]) > 1000;
    EXPECT_GT(loud, 2000u);  // a second of speech holds many more
}

}  // namespace
