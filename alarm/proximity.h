// The proximity check: for each position, walk the list from the nearest POI
// outward and sound the innermost level reached whose latch is still clear.
#pragma once

#include "log/log.h"
#include "poi/poi.h"
#include "warning_rules.h"

// The alarm radii, km, in force for one position.
struct AlarmRadii {
    double outer;   // one ding
    double middle;  // two dings
    double inner;   // four dings and the warning
};

// What sounds for one POI at one position; named after the levels' settings.
enum AlarmLevel { kNoAlarm = 0, kAlarm1 = 1, kAlarm2 = 2, kAlarm4 = 4 };

// The level a POI inside the outer radius reaches at distance d (km): the
// innermost one whose latch is clear, latched now.
AlarmLevel levelReached(Poi& poi, double d, const AlarmRadii& radii);

// The walk of the list, ordered around a recent position, from the POI
// nearest to the position given (decimal degrees): the ten nearest POIs and
// those inside the outer radius logged, latches cleared beyond it, and each
// POI's sound started. It stops at the first POI beyond 30 km.
void checkProximity(Poi* list, int count, double length, double wide, const AlarmRadii& configured,
                    const WarningRules& rules, Log* log);
