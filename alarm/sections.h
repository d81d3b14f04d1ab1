// Following the car through average-speed sections: it decides, the caller
// shows and plays. A section is entered when the car passes its start
// heading for its end (the other direction, or joining the road inside it,
// enters nothing), followed with the distance driven over the time taken,
// from each position and its time (a gap in the fixes, such as a tunnel,
// counts as the straight line across it), and left when the car passes its
// end, or when it has turned off the road on the way.
#pragma once

#include <vector>

#include "poi/sections.h"

// How close (km) to the start or the end the car must pass: beside the road
// point the section names, over the lanes and the receiver's error.
constexpr double kSectionGateKm = 0.05;
// Turned off: this far (km) farther from the end than the car has been, or
// this much farther driven than the section is long.
constexpr double kSectionStrayKm = 0.5;
constexpr double kSectionDetourKm = 1.0;

struct SectionEvent {
    enum Kind {
        kEntered,
        kOverLimit,     // the average went over the limit (again only after it came back under)
        kLeft,          // at its end: the final average
        kLeftOnTheWay,  // turned off before the end
    } kind;
    const Section* section;
    double averageKmh;
    double drivenKm;
};

class SectionWatch {
public:
    // The sections of the list in force; setting them anew forgets the one
    // being followed.
    void take(std::vector<Section> fresh);
    bool any() const { return !sections.empty(); }
    // One position and its time in seconds (the fixes' own times of day:
    // a time that runs back by half a day is taken as the next day). What
    // happened, in order; the storage is reused from call to call.
    const std::vector<SectionEvent>& update(Place at, double secondsOfDay);

    // While inside a section: which, the average so far, and the highest
    // average speed that keeps its limit for the rest (-1 when no speed can
    // any more) over the distance still to go.
    const Section* inside() const { return current; }
    double averageKmh() const;
    double allowedKmh() const;
    double remainingKm() const;

private:
    std::vector<Section> sections;
    std::vector<SectionEvent> events;
    bool havePrevious = false;
    Place previous{0, 0};
    double previousTime = 0;
    double dayOffset = 0;
    const Section* current = nullptr;
    double enteredAt = 0;  // s
    double lastTime = 0;
    double driven = 0;     // km since the start
    double nearestEnd = 0;  // km: the closest the car has been to the end
    bool over = false;
};
