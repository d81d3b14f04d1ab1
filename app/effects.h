// What the program does about what its deciders found, in one place: each
// finding of a proximity walk and each section event gives its lines
// (printed and logged), its record on the track and its sound pattern, in
// that order. Every sound starts in Effects::sound, so whatever is to follow
// a pattern (a spoken phrase) is added there, once.
#pragma once

#include <vector>

#include "alarm/proximity.h"
#include "alarm/sections.h"
#include "log/log.h"
#include "log/track.h"
#include "speech/speaker.h"

// A pattern to play and what it is about: a POI that reached a level, or a
// section event.
struct Sounding {
    void (*pattern)(void*);
    const PoiFinding* poi;
    const SectionEvent* section;
    double kmh;  // the speed the rules were given, -1 when unknown
};

class Effects {
public:
    // The log is the application's, which is set after construction.
    Effects(Log*& log, TrackLog& track, Speaker& speaker) : log(log), track(track), speaker(speaker) {}

    // A proximity walk's findings at the speed the rules were given (km/h).
    void of(const ProximityReport& report, double kmh);
    // The car's way through the average-speed sections at one position.
    void of(const std::vector<SectionEvent>& events);
    // What the speaker said or dropped since: "(speech: ...)" lines, and
    // what it said on the track.
    void spoken();

private:
    void of(const PoiFinding& found, const ProximityReport& report, double kmh);
    void of(const SectionEvent& event);
    void sound(const Sounding& what);

    Log*& log;
    TrackLog& track;
    Speaker& speaker;
};
