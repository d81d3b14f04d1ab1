#include "speaker.h"

#include <mutex>

#include "platform.h"

struct Speaker::Inside {
    struct Waiting {
        int phrase;
        SpeechSubject about;
        double closestKm;
        std::string text;
    };
    std::mutex mutex;
    std::vector<Waiting> waiting;
    std::vector<SpeechNews> told;
};

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

Speaker::Speaker() : inside(new Inside) {}
Speaker::~Speaker() { delete inside; }

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
        std::lock_guard<std::mutex> lock(inside->mutex);
        for (size_t i = inside->waiting.size(); i-- > 0;)
            if (same(inside->waiting[i].about, about)) drop(i);
        inside->waiting.push_back({phrase, about, km, text});
    }
    _beginthread(patternThenPhrase, 0, new Turn{this, pattern, phrase});
}

void Speaker::follow(const std::function<double(const SpeechSubject&)>& kmTo)
{
    std::lock_guard<std::mutex> lock(inside->mutex);
    for (size_t i = inside->waiting.size(); i-- > 0;) {
        Inside::Waiting& w = inside->waiting[i];
        if (!w.about.isPoi) continue;
        double km = kmTo(w.about);
        if (km < 0 || km > w.closestKm + kPassedKm) drop(i);
        else if (km < w.closestKm) w.closestKm = km;
    }
}

std::vector<SpeechNews> Speaker::news()
{
    std::lock_guard<std::mutex> lock(inside->mutex);
    std::vector<SpeechNews> out;
    out.swap(inside->told);
    return out;
}

void Speaker::turn(int phrase)
{
    std::lock_guard<std::mutex> lock(inside->mutex);
    for (size_t i = 0; i < inside->waiting.size(); ++i) {
        if (inside->waiting[i].phrase != phrase) continue;
        speechPlay(phrase);
        inside->told.push_back({true, inside->waiting[i].text});
        inside->waiting.erase(inside->waiting.begin() + static_cast<long>(i));
        return;
    }
}

// Under the lock.
void Speaker::drop(size_t i)
{
    speechForget(inside->waiting[i].phrase);
    inside->told.push_back({false, inside->waiting[i].text});
    inside->waiting.erase(inside->waiting.begin() + static_cast<long>(i));
}
