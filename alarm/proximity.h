// The proximity check: for each position, walk the list from the nearest POI
// outward and decide which level each POI reaches. It decides only: the
// caller shows the findings and plays their sounds.
#pragma once

#include <vector>

#include "poi/distance.h"
#include "poi/ordering.h"
#include "poi/poi.h"
#include "warning_rules.h"

// The walk stops at the first POI beyond this, in the order in force.
constexpr double kSearchRadiusKm = 30.0;
// The POIs whose distance is always shown: the first ones of the list.
constexpr int kNearestShown = 10;

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

// What the walk found at one POI that matters: among the nearest, inside the
// outer radius and announced, a level reached, or its latches dropped.
struct PoiFinding {
    const Poi* poi;
    double km;
    bool nearest;         // among the first kNearestShown of the list
    bool inReach;         // inside the outer radius, and announced (near: a macro on Windows)
    AlarmLevel level;     // what sounds now
    bool latchesDropped;  // seen beyond the radius it sounded at: armed again
};

// One walk's findings, in list order, and how it ended.
struct ProximityReport {
    std::vector<PoiFinding> findings;
    int withinSearch;  // POIs before the first beyond kSearchRadiusKm; -1 when none lies beyond
    AlarmRadii radii;  // in force: the configured ones, grown with speed
    double scale;      // what they were grown by (1: as configured)
};

// The walk of the list, ordered around a recent position, from the POI
// nearest to here: latches cleared beyond the outer radius, levels reached
// and latched inside it. The report's storage is reused from walk to walk.
void checkProximity(Poi* list, int count, Place here, const AlarmRadii& configured, const WarningRules& rules,
                    ProximityReport& report);

// The same findings, the same count and the same latches, from the POIs
// that can matter alone, when the order in force has its keys (each POI's
// distance from where the list was ordered): by the triangle inequality a
// POI whose key lies further than the outer radius from the car's own
// distance from there cannot be in reach, and one whose key and the car's
// distance add up to less than 30 km is surely within it. The order's
// record of latched POIs follows the walk.
void checkProximity(Poi* list, int count, OrderedAround& order, Place here, const AlarmRadii& configured,
                    const WarningRules& rules, ProximityReport& report);
