// Speech with eSpeak NG, synthesized in memory on a thread of its own and
// played by the ALSA player after the sound it follows. Phrases are
// synthesized as soon as they are prepared, while their pattern plays, so
// that they are ready when their turn comes.
#include <espeak-ng/speak_lib.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform.h"
#include "sound_alsa.h"
#include "speech_espeak.h"

namespace {

struct Phrase {
    std::string text;
    std::vector<short> samples;
    bool ready = false;
    bool wanted = false;  // its turn came before it was ready
    unsigned long long after = 0;
};

// Never destroyed: the thread that synthesizes waits on them until the process ends.
struct Shared {
    std::mutex mutex;
    std::condition_variable work;
    std::map<int, Phrase> phrases;
    std::deque<int> toSynthesize;
    int nextPhrase = 0;
};
Shared& shared = *new Shared;
std::mutex& mutex = shared.mutex;
std::condition_variable& work = shared.work;
std::map<int, Phrase>& phrases = shared.phrases;
std::deque<int>& toSynthesize = shared.toSynthesize;
int sampleRate = 22050;
constexpr int kWordsPerMinute = 190;
bool synthesizing = false;

int collect(short* samples, int count, espeak_EVENT* events)
{
    auto* out = static_cast<std::vector<short>*>(events->user_data);
    if (samples && count > 0) out->insert(out->end(), samples, samples + count);
    return 0;
}

// The only thread that calls eSpeak once it has started.
void synthesize()
{
    for (;;) {
        int id;
        std::string text;
        {
            std::unique_lock<std::mutex> lock(mutex);
            work.wait(lock, [] { return !toSynthesize.empty(); });
            id = toSynthesize.front();
            toSynthesize.pop_front();
            auto p = phrases.find(id);
            if (p == phrases.end()) continue;  // forgotten meanwhile
            text = p->second.text;
        }
        std::vector<short> samples = synthesizeSpeech(text);
        std::lock_guard<std::mutex> lock(mutex);
        auto p = phrases.find(id);
        if (p == phrases.end()) continue;
        if (p->second.wanted) {
            playAfterSound(std::move(samples), sampleRate, p->second.after, text);
            phrases.erase(p);
        } else {
            p->second.samples = std::move(samples);
            p->second.ready = true;
        }
    }
}

}  // namespace

std::vector<short> synthesizeSpeech(const std::string& text)
{
    std::vector<short> samples;
    espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_AUTO, nullptr, &samples);
    return samples;
}

int speechRate() { return sampleRate; }

bool speechStart(const char* language, char* why, int size)
{
    int rate = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
    if (rate <= 0) {
        snprintf(why, static_cast<size_t>(size), "eSpeak NG cannot start (its voices' data missing?)");
        return false;
    }
    if (espeak_SetVoiceByName(language) != EE_OK) {
        snprintf(why, static_cast<size_t>(size), "eSpeak NG has no voice for %s", language);
        return false;
    }
    if (!soundDeviceOpens(why, size)) return false;
    sampleRate = rate;
    // A little faster than eSpeak's 175 words a minute, so that the second
    // level's phrase at 90 km/h ends before the last level's pattern (4 s).
    espeak_SetParameter(espeakRATE, kWordsPerMinute, 0);
    espeak_SetSynthCallback(collect);
    if (!synthesizing) std::thread(synthesize).detach();
    synthesizing = true;
    return true;
}

int speechPrepare(const char* text)
{
    std::lock_guard<std::mutex> lock(mutex);
    int id = shared.nextPhrase++;
    phrases[id].text = text;
    toSynthesize.push_back(id);
    work.notify_one();
    return id;
}

void speechPlay(int phrase)
{
    unsigned long long after = soundsRequested();
    std::lock_guard<std::mutex> lock(mutex);
    auto p = phrases.find(phrase);
    if (p == phrases.end()) return;
    if (!p->second.ready) {
        p->second.wanted = true;
        p->second.after = after;
        return;
    }
    playAfterSound(std::move(p->second.samples), sampleRate, after, p->second.text);
    phrases.erase(p);
}

void speechForget(int phrase)
{
    std::lock_guard<std::mutex> lock(mutex);
    phrases.erase(phrase);
}
