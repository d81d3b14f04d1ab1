#include "speaker.h"

#include "platform.h"

namespace {

struct Turn {
    Speaker* speaker;
    void (*pattern)(void*);
    int phrase;
};

void patternThenPhrase(void* argument)
{
    Turn* t = static_cast<Turn*>(argument);
    t->pattern(nullptr);
    t->speaker->turn(t->phrase);
    delete t;
}

bool same(const SpeechSubject& a, const SpeechSubject& b)
{
    return a.isPoi == b.isPoi && a.name == b.name && a.length == b.length && a.wide == b.wide;
}

}  // namespace

bool Speaker::start(const char* language, std::string& why)
{
    const PhraseTable* t = phraseTable(language);
    char reason[256] = "";
    if (!t) snprintf(reason, sizeof reason, "no phrases for %s (there are %s)", language, phraseLanguages());
    else if (!speechStart(language, reason, sizeof reason)) t = nullptr;
    why = reason;
    table = t;
    return t != nullptr;
}

void Speaker::say(void (*pattern)(void*), const SpeechSubject& about, double km, const std::string& text)
{
    int phrase = speechPrepare(text.c_str());
    {
        std::lock_guard<std::mutex> lock(mutex);
        for (size_t i = waiting.size(); i-- > 0;)
            if (same(waiting[i].about, about)) drop(i);
        waiting.push_back({phrase, about, km, text});
    }
    _beginthread(patternThenPhrase, 0, new Turn{this, pattern, phrase});
}

void Speaker::follow(const std::function<double(const SpeechSubject&)>& kmTo)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (size_t i = waiting.size(); i-- > 0;) {
        Waiting& w = waiting[i];
        if (!w.about.isPoi) continue;
        double km = kmTo(w.about);
        if (km < 0 || km > w.closestKm + kPassedKm) drop(i);
        else if (km < w.closestKm) w.closestKm = km;
    }
}

std::vector<SpeechNews> Speaker::news()
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<SpeechNews> out;
    out.swap(told);
    return out;
}

void Speaker::turn(int phrase)
{
    std::lock_guard<std::mutex> lock(mutex);
    for (size_t i = 0; i < waiting.size(); ++i) {
        if (waiting[i].phrase != phrase) continue;
        speechPlay(phrase);
        told.push_back({true, waiting[i].text});
        waiting.erase(waiting.begin() + static_cast<long>(i));
        return;
    }
}

// Under the lock.
void Speaker::drop(size_t i)
{
    speechForget(waiting[i].phrase);
    told.push_back({false, waiting[i].text});
    waiting.erase(waiting.begin() + static_cast<long>(i));
}
