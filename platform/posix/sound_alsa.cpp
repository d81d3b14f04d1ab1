// PlaySoundA(file, NULL, SND_FILENAME | SND_ASYNC) on ALSA.
//
// What the sound patterns rely on: the call returns at once and the sound
// goes on after the calling thread has ended; a new call cuts off the sound
// still playing, whichever thread made it; a file that cannot be played
// gives a default sound. One player thread does all the work, so the
// caller only hands over a name. Files are read with libsndfile and played
// on ALSA's "default" device, whose plug layer converts rate and format.
// Without a usable device nothing is heard and nothing is printed. A phrase
// of the speech waits for the sound it follows to end, and yields to any
// newer sound.
#include <alsa/asoundlib.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "native_path.h"
#include "platform.h"
#include "sound_alsa.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kToneRate = 44100;
constexpr double kToneHz = 880.0;
constexpr double kToneSeconds = 0.15;
constexpr unsigned kLatencyUs = 50000;  // device buffer
constexpr int kChunkMs = 10;            // how often playback looks for a newer request
constexpr int kLeadMs = 30;             // how far writing may run ahead of the clock

struct Clip {
    std::vector<short> samples;  // interleaved
    int channels = 1;
    int rate = kToneRate;
};

Clip defaultTone()
{
    Clip tone;
    int frames = static_cast<int>(kToneRate * kToneSeconds);
    for (int i = 0; i < frames; ++i) {
        double fade = std::min(1.0, std::min(i, frames - i) / (0.005 * kToneRate));  // no clicks
        tone.samples.push_back(static_cast<short>(12000 * fade * sin(2 * M_PI * kToneHz * i / kToneRate)));
    }
    return tone;
}

bool loadClip(const std::string& path, Clip& clip)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    bool usable = info.channels >= 1 && info.channels <= 8 && info.frames > 0 && info.samplerate > 0;
    if (usable) {
        clip.channels = info.channels;
        clip.rate = info.samplerate;
        clip.samples.resize(static_cast<size_t>(info.frames) * static_cast<size_t>(info.channels));
        sf_count_t got = sf_readf_short(file, clip.samples.data(), info.frames);
        clip.samples.resize(static_cast<size_t>(got) * static_cast<size_t>(info.channels));
        usable = got > 0;
    }
    sf_close(file);
    return usable;
}

void quiet(const char*, int, const char*, int, const char*, ...) {}

class Player {
public:
    void request(const char* name)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        wanted_ = name;
        ++generation_;
        if (!started_) {
            started_ = true;
            std::thread([this] { run(); }).detach();
        }
        wake_.notify_one();
    }

    void requestAfter(Clip phrase, unsigned long long after, std::string trace)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (after != generation_) return;  // a newer sound came first
        phrase_ = std::move(phrase);
        phraseAfter_ = after;
        phraseTrace_ = std::move(trace);
        hasPhrase_ = true;
        if (!started_) {
            started_ = true;
            std::thread([this] { run(); }).detach();
        }
        wake_.notify_one();
    }

    unsigned long long generation()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return generation_;
    }

private:
    void run()
    {
        snd_lib_error_set_handler(quiet);
        static const bool trace = getenv("POIGUARD_SOUND_TRACE") != nullptr;
        unsigned long long seen = 0;
        for (;;) {
            std::string name;
            Clip phrase;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return generation_ != seen || (hasPhrase_ && phraseAfter_ == seen); });
                if (generation_ == seen) {  // the sound it follows has ended
                    phrase = std::move(phrase_);
                    hasPhrase_ = false;
                    if (trace) fprintf(stderr, "(speech: %s)\n", phraseTrace_.c_str());
                } else {
                    seen = generation_;
                    name = wanted_;
                    hasPhrase_ = hasPhrase_ && phraseAfter_ == seen;
                }
            }
            if (name.empty()) play(phrase, seen);
            else play(clip(name), seen);
        }
    }

    const Clip& clip(const std::string& name)
    {
        static const Clip tone = defaultTone();
        auto found = cache_.find(name);
        if (found != cache_.end()) return found->second;
        Clip loaded;
        if (!loadClip(name, loaded)) return tone;  // tried again next time: the file may appear
        return cache_[name] = loaded;
    }

    bool newer(unsigned long long generation)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return generation_ != generation;
    }

    // Plays until the clip ends or a newer request arrives.
    void play(const Clip& c, unsigned long long generation)
    {
        if (!pcm_ && snd_pcm_open(&pcm_, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) {
            pcm_ = nullptr;
            return;  // no device: stay silent, try again with the next sound
        }
        snd_pcm_drop(pcm_);  // cut off what still plays
        if (snd_pcm_set_params(pcm_, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                               static_cast<unsigned>(c.channels), static_cast<unsigned>(c.rate), 1, kLatencyUs) < 0) {
            snd_pcm_close(pcm_);
            pcm_ = nullptr;
            return;
        }
        snd_pcm_uframes_t total = c.samples.size() / static_cast<size_t>(c.channels);
        snd_pcm_uframes_t chunk = static_cast<snd_pcm_uframes_t>(c.rate) * kChunkMs / 1000;
        Clock::time_point start = Clock::now();
        for (snd_pcm_uframes_t done = 0; done < total;) {
            if (newer(generation)) return;  // the next sound drops the rest
            // Stay close to the clock, so a cut-off happens when it is asked for
            // even on devices that swallow samples faster than they play them.
            auto due = start + std::chrono::microseconds((done * 1000000ULL) / static_cast<unsigned>(c.rate)) -
                       std::chrono::milliseconds(kLeadMs);
            std::this_thread::sleep_until(due);
            snd_pcm_uframes_t n = std::min(chunk, total - done);
            snd_pcm_sframes_t written = snd_pcm_writei(pcm_, &c.samples[done * static_cast<size_t>(c.channels)], n);
            if (written < 0) written = snd_pcm_recover(pcm_, static_cast<int>(written), 1) < 0 ? -1 : 0;
            if (written < 0) {
                snd_pcm_close(pcm_);
                pcm_ = nullptr;
                return;
            }
            done += static_cast<snd_pcm_uframes_t>(written);
        }
        // Let the device play out what it holds, still ready to be cut off.
        Clock::time_point end = Clock::now() + std::chrono::microseconds(kLatencyUs) + std::chrono::milliseconds(kLeadMs);
        snd_pcm_sframes_t delay = 0;
        while (Clock::now() < end && snd_pcm_delay(pcm_, &delay) == 0 && delay > 0) {
            if (newer(generation)) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(kChunkMs / 2));
        }
        snd_pcm_drain(pcm_);
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::string wanted_;
    unsigned long long generation_ = 0;
    bool started_ = false;
    Clip phrase_;  // waits for the sound number phraseAfter_ to end
    unsigned long long phraseAfter_ = 0;
    std::string phraseTrace_;
    bool hasPhrase_ = false;
    snd_pcm_t* pcm_ = nullptr;            // player thread only
    std::map<std::string, Clip> cache_;  // player thread only
};

Player& player()
{
    static Player* p = new Player;  // lives as long as its detached thread
    return *p;
}

}  // namespace

BOOL PlaySoundA(LPCSTR sound, HMODULE, DWORD)
{
    static const bool trace = getenv("POIGUARD_SOUND_TRACE") != nullptr;
    if (trace) fprintf(stderr, "(sound: %s)\n", sound);
    player().request(nativePath(sound).c_str());
    return TRUE;
}

unsigned long long soundsRequested() { return player().generation(); }

void playAfterSound(std::vector<short> samples, int rate, unsigned long long after, std::string trace)
{
    Clip c;
    c.samples = std::move(samples);
    c.rate = rate;
    player().requestAfter(std::move(c), after, std::move(trace));
}

bool soundDeviceOpens(char* why, int size)
{
    snd_lib_error_set_handler(quiet);
    snd_pcm_t* pcm = nullptr;
    int rc = snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (rc < 0) {
        snprintf(why, static_cast<size_t>(size), "no sound device (ALSA's default: %s)", snd_strerror(rc));
        return false;
    }
    snd_pcm_close(pcm);
    return true;
}
