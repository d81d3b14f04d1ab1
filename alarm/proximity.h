// The proximity check: for each position, walk the list from the nearest POI
// outward and decide which level each POI reaches. It decides only: the
// caller shows the findings and plays their sounds.
#pragma once

#include <utility>
#include <vector>

#include "geo/geo.h"
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

// The walk of the list in the order in force, when that order has its keys
// (each POI's distance from where the list was ordered): the same findings,
// the same count and the same latches as the whole walk, from the POIs that
// can matter alone. By the triangle inequality a POI whose key lies further
// than the outer radius from the car's own distance from there cannot be in
// reach, and one whose key and the car's distance add up to less than 30 km
// is surely within it. Kept from fix to fix for the order in force: the POIs
// holding a latch (the only ones beyond the outer radius the walk must
// visit), and its measures from a recent position of the car (the anchor)
// for the POIs whose keys lie near the car's distance from there (the ring)
// and near the end of the search (the edge, up to edgeTo): the few close
// enough to the anchor to come in reach, and the few far enough to end the
// search, with their distances from it. Near the anchor no other POI can do
// either, and none is measured again. Without keys it takes the whole walk.
class ProximityIndex {
public:
    void walk(Poi* list, int count, const OrderedAround& order, Place here, const AlarmRadii& configured,
              const WarningRules& rules, ProximityReport& report);

private:
    void follow(const Poi* list, int count, const OrderedAround& order);
    double anchorNear(const Poi* list, int count, const double* key, double r, double outer, Place here,
                      const DistanceFrom& from);
    int findEnd(const Poi* list, int count, int edge, double moved, const DistanceFrom& from, double& endKm) const;
    void gatherVisits(int end, double moved, double outer);
    void visitAndKeepLatches(Poi* list, int end, Place here, const DistanceFrom& from, const WarningRules& rules,
                             ProximityReport& report);

    unsigned generation = 0;  // of the order these measures belong to
    std::vector<int> latched;  // ascending
    bool anchored = false;
    Place anchor{0, 0};
    double anchorOuter = 0;  // the outer radius then (it grows with the speed)
    int edgeTo = 0;
    std::vector<std::pair<int, double>> ringNear, edgeFar;
    std::vector<int> visits, stillLatched;  // kept from fix to fix: no allocation
};
