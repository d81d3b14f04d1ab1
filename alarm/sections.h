// Following the car through average-speed sections: it decides, the caller
// shows and plays. A section is entered when the car passes its start
// heading for its end (the other direction, or joining the road inside it,
// enters nothing) and left when it passes its end, or when it has turned off
// the road on the way. A gap in the fixes, such as a tunnel, counts as the
// straight line across it: a car that passed start and end within one gap
// leaves at once, with its average.
//
// The distance is measured as the enforcement measures it: how far along the
// section the car has come (its position projected onto the line from start
// to end, scaled to the section's length along the road), over the time since
// it passed the start. Standing in a jam, the receiver's noise adds nothing.
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
// The way driven is counted in steps of at least this much (km), so that a
// receiver's noise while the car stands counts as no way at all.
constexpr double kSectionNoiseKm = 0.03;

struct SectionEvent {
    enum Kind {
        kEntered,
        // At the car's present speed the average at the end would be over the
        // limit (again only after that came back under).
        kOverLimit,
        kLeft,          // at its end: the final average
        kLeftOnTheWay,  // turned off before the end
        kDropped,       // a list read anew no longer holds it
    } kind;
    const Section* section;
    double averageKmh;  // so far; at kOverLimit the one the end would see
    double drivenKm;    // along the section
    double allowedKmh;  // the highest average speed for the rest that keeps the limit; -1 for none
};

class SectionWatch {
public:
    // The sections of the list in force. The one being followed goes on when
    // the fresh list holds it (the same start, end and limit): a list read
    // anew inside a section loses nothing. When it no longer does, it ends
    // with a kDropped event, returned here.
    const std::vector<SectionEvent>& take(std::vector<Section> fresh);
    bool any() const { return !sections.empty(); }
    // One position, its time in seconds (the fixes' own times of day: a time
    // that runs back by half a day is taken as the next day), and the car's
    // speed in km/h (-1 when unknown: the average so far stands for it). What
    // happened, in order; the storage is reused from call to call.
    const std::vector<SectionEvent>& update(Place at, double secondsOfDay, double kmh = -1);

    // While inside a section: which, the average so far, and the highest
    // average speed that keeps its limit for the rest (-1 when no speed can
    // any more) over the distance still to go.
    const Section* inside() const { return current; }
    double averageKmh() const;
    double allowedKmh() const;
    double remainingKm() const;

private:
    double alongKm(Place at) const;
    double finalKmh(double kmh) const;
    void enter(const Section& s, double when, Place at, double t);
    void push(SectionEvent::Kind kind, double average);

    std::vector<Section> sections;
    std::vector<SectionEvent> events;
    bool havePrevious = false;
    Place previous{0, 0};
    double previousTime = 0;
    double dayOffset = 0;
    const Section* current = nullptr;
    Section dropped{};      // what a kDropped event points at
    double enteredAt = 0;   // s
    double lastTime = 0;
    double along = 0;       // km along the section, the farthest come so far
    double alongTime = 0;   // when it came that far
    Place anchor{0, 0};     // where the way driven was last counted
    double travelled = 0;   // km driven, in steps of kSectionNoiseKm at least
    double nearestEnd = 0;  // km: the closest the car has been to the end
    bool over = false;
};
