// Phrases after the sound patterns. A phrase is said on the thread of the
// pattern it follows, once that pattern's last sound has played, so it never
// talks over a pattern nor holds one back (a new sound cuts a phrase off).
// A phrase that is no longer true when its turn comes is dropped: the same
// POI's next level came first, or the car has passed the POI.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "phrases.h"

// Drawn this far (km) away from a POI again after its closest: passed.
constexpr double kPassedKm = 0.02;

// What a phrase is about: a POI at its place, or a section by its name.
struct SpeechSubject {
    std::string name;
    double length = 0, wide = 0;
    bool isPoi = true;  // followed by its distance from the car
};

struct SpeechNews {
    bool said;  // false: dropped
    std::string text;
};

class Speaker {
public:
    Speaker();
    ~Speaker();
    Speaker(const Speaker&) = delete;
    Speaker& operator=(const Speaker&) = delete;

    // speech=LANGUAGE: its table and the system's voice. False, with why,
    // when it cannot speak; the program then warns with its sounds alone.
    bool start(const char* language, std::string& why);
    bool on() const { return table != nullptr; }
    const PhraseTable& phrases() const { return *table; }

    // Starts the pattern on a thread of its own, the phrase after it. An
    // earlier phrase about the same subject still waiting is dropped.
    void say(void (*pattern)(void*), const SpeechSubject& about, double km, const std::string& text);
    // At each position: how far (km) the car is from a POI waiting to be
    // talked about, or -1 when it is no longer among the POIs seen.
    void follow(const std::function<double(const SpeechSubject&)>& kmTo);
    // What was said and dropped since the last call, in order.
    std::vector<SpeechNews> news();

    // The pattern of this phrase has ended (on its thread).
    void turn(int phrase);

private:
    // The phrases waiting for their turns and the news, behind a lock; kept
    // out of this header, whose lock's header would declare the Windows
    // thread call the tests' platform stands in for.
    struct Inside;
    void drop(size_t i);

    const PhraseTable* table = nullptr;
    Inside* inside;
};
