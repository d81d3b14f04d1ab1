#include "proximity.h"

#include <algorithm>

AlarmLevel levelReached(Poi& poi, double d, const AlarmRadii& radii)
{
    if (d < radii.inner && poi.alarm4Fired == 0) {
        poi.alarm4Fired = 1;
        return kAlarm4;
    }
    if (d < radii.middle && poi.alarm2Fired == 0) {
        poi.alarm2Fired = 1;
        return kAlarm2;
    }
    if (poi.alarm1Fired == 0) {
        poi.alarm1Fired = 1;
        return kAlarm1;
    }
    return kNoAlarm;
}

namespace {

// Rounding in the distances, far above what they can carry (km): the
// bounds give way by this much.
constexpr double kSlackKm = 0.001;

void startReport(const AlarmRadii& configured, const WarningRules& rules, ProximityReport& report)
{
    report.findings.clear();
    report.withinSearch = -1;
    report.scale = rules.radiusScale(configured.outer);
    report.radii = {configured.outer * report.scale, configured.middle * report.scale, configured.inner * report.scale};
}

// One POI before the end of the walk at distance d: its latches dropped,
// its level reached, and its finding when it has one. True when it holds a
// latch afterwards.
bool visit(Poi& poi, int i, double d, Place here, const WarningRules& rules, ProximityReport& report)
{
    const AlarmRadii& radii = report.radii;
    // Most POIs hold no latch: only those that do are touched.
    bool dropped = d > radii.outer && d > poi.latchRadius && (poi.alarm1Fired | poi.alarm2Fired | poi.alarm4Fired);
    if (dropped) {
        poi.alarm1Fired = 0;
        poi.alarm2Fired = 0;
        poi.alarm4Fired = 0;
        poi.latchRadius = 0;
    }
    bool inReach = d < radii.outer && rules.allows(poi) && rules.announces(bearingTo(here, {poi.length, poi.wide}));
    AlarmLevel level = kNoAlarm;
    if (inReach) {
        level = levelReached(poi, d, radii);
        // Announced at a grown radius, it is armed again only beyond that radius.
        if (level != kNoAlarm && report.scale > 1.0)
            poi.latchRadius = static_cast<float>(std::max<double>(poi.latchRadius, radii.outer));
    }
    if (i < kNearestShown || inReach || dropped)
        report.findings.push_back({&poi, d, i < kNearestShown, inReach, level, dropped});
    return latched(poi);
}

// The POI that ends the walk: the first beyond kSearchRadiusKm.
void stopAt(Poi& poi, int i, double d, ProximityReport& report)
{
    if (i < kNearestShown) report.findings.push_back({&poi, d, true, false, kNoAlarm, false});
    report.withinSearch = i;
}

}  // namespace

void checkProximity(Poi* list, int count, Place here, const AlarmRadii& configured, const WarningRules& rules,
                    ProximityReport& report)
{
    DistanceFrom from(here.length, here.wide);
    startReport(configured, rules, report);
    for (int i = 0; i < count; ++i) {
        double d = from.to(list[i].length, list[i].wide);
        if (d > kSearchRadiusKm) return stopAt(list[i], i, d, report);
        visit(list[i], i, d, here, rules, report);
    }
}

namespace {

// How far the car may move from where the walk last measured the POIs near
// its ring and its edge before it measures them again (km).
constexpr double kAnchorKm = 0.1;

}  // namespace

void ProximityIndex::walk(Poi* list, int count, const OrderedAround& order, Place here, const AlarmRadii& configured,
                          const WarningRules& rules, ProximityReport& report)
{
    if (order.keys.size() != static_cast<size_t>(count)) return checkProximity(list, count, here, configured, rules, report);
    if (order.generation != generation) follow(list, count, order);
    DistanceFrom from(here.length, here.wide);
    startReport(configured, rules, report);
    const double* key = order.keys.data();
    double r = greatCircleDistance(order.length, here.length, order.wide, here.wide);
    // Where the end of the search can begin: before the first key reaching
    // 30 km less the car's distance, no POI can lie beyond 30 km.
    int edge = static_cast<int>(std::lower_bound(key, key + count, kSearchRadiusKm - r - kSlackKm) - key);
    double moved = anchorNear(list, count, key, r, report.radii.outer, here, from);
    double endKm = 0;
    int stop = findEnd(list, count, edge, moved, from, endKm);
    int end = stop < 0 ? count : stop;
    gatherVisits(end, moved, report.radii.outer + kSlackKm);
    visitAndKeepLatches(list, end, here, from, rules, report);
    if (stop >= 0) stopAt(list[stop], stop, endKm, report);
}

// A new order: the POIs holding a latch in it, and no anchor yet.
void ProximityIndex::follow(const Poi* list, int count, const OrderedAround& order)
{
    generation = order.generation;
    anchored = false;
    latched.clear();
    for (int i = 0; i < count; ++i)
        if (::latched(list[i])) latched.push_back(i);
}

// Within kAnchorKm of the anchor, the car's distance from the ordering
// differs from the anchor's by no more: its ring and its edge lie within
// those measured there, for a radius no larger than then. Otherwise they
// are measured here: of the POIs whose keys lie within the ring a car up to
// kAnchorKm away can have, those that can come in reach from there; of
// those from where the end of the search can begin for such a car up to the
// first POI beyond it for all of them, those that can lie beyond. How far
// the car is from the anchor.
double ProximityIndex::anchorNear(const Poi* list, int count, const double* key, double r, double outer, Place here,
                                  const DistanceFrom& from)
{
    double moved = anchored ? greatCircleDistance(anchor.length, here.length, anchor.wide, here.wide) : 0;
    if (anchored && moved <= kAnchorKm && !(outer > anchorOuter)) return moved;
    auto first = [&](double km) { return static_cast<int>(std::lower_bound(key, key + count, km) - key); };
    double reach = outer + kAnchorKm + kSlackKm;
    int ringTo = static_cast<int>(std::upper_bound(key, key + count, r + reach) - key);
    ringNear.clear();
    for (int i = first(r - reach); i < ringTo; ++i) {
        double d = from.to(list[i].length, list[i].wide);
        if (d < reach) ringNear.push_back({i, d});
    }
    edgeFar.clear();
    for (edgeTo = first(kSearchRadiusKm - r - kAnchorKm - kSlackKm); edgeTo < count; ++edgeTo) {
        double d = from.to(list[edgeTo].length, list[edgeTo].wide);
        if (d > kSearchRadiusKm - kAnchorKm - kSlackKm) edgeFar.push_back({edgeTo, d});
        if (d > kSearchRadiusKm + kAnchorKm + kSlackKm) {
            ++edgeTo;
            break;
        }
    }
    anchored = true;
    anchorOuter = outer;
    anchor = here;
    return 0;
}

// The end of the walk, the first POI beyond 30 km from here (-1 for none),
// and its distance: among the POIs of the edge that can lie beyond, then
// past the edge.
int ProximityIndex::findEnd(const Poi* list, int count, int edge, double moved, const DistanceFrom& from,
                            double& endKm) const
{
    auto beyond = [&](int i) {
        endKm = from.to(list[i].length, list[i].wide);
        return endKm > kSearchRadiusKm;
    };
    for (const auto& [i, d] : edgeFar)
        if (i >= edge && d + moved > kSearchRadiusKm - kSlackKm && beyond(i)) return i;
    for (int i = std::max(edge, edgeTo); i < count; ++i)
        if (beyond(i)) return i;
    return -1;
}

// The POIs to visit before the end, ascending: the nearest shown, those
// that can be in reach, those holding a latch.
void ProximityIndex::gatherVisits(int end, double moved, double outer)
{
    visits.clear();
    for (int i = 0; i < std::min(end, kNearestShown); ++i) visits.push_back(i);
    for (const auto& [i, d] : ringNear)
        if (i >= kNearestShown && i < end && d - moved < outer) visits.push_back(i);
    for (int i : latched)
        if (i < end) visits.push_back(i);
    std::sort(visits.begin(), visits.end());
    visits.erase(std::unique(visits.begin(), visits.end()), visits.end());
}

// Each visit as the whole walk makes it; the POIs holding a latch
// afterwards, with those beyond the end of the walk, which keep theirs as
// the whole walk leaves them.
void ProximityIndex::visitAndKeepLatches(Poi* list, int end, Place here, const DistanceFrom& from,
                                         const WarningRules& rules, ProximityReport& report)
{
    stillLatched.clear();
    for (int i : latched)
        if (i >= end) stillLatched.push_back(i);
    for (int i : visits)
        if (visit(list[i], i, from.to(list[i].length, list[i].wide), here, rules, report)) stillLatched.push_back(i);
    std::sort(stillLatched.begin(), stillLatched.end());
    latched.swap(stillLatched);
}
