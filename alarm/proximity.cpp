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

void checkProximity(Poi* list, int count, Place here, const AlarmRadii& configured, const WarningRules& rules,
                    ProximityReport& report)
{
    DistanceFrom from(here.length, here.wide);
    report.findings.clear();
    report.withinSearch = -1;
    report.scale = rules.radiusScale(configured.outer);
    report.radii = {configured.outer * report.scale, configured.middle * report.scale, configured.inner * report.scale};
    const AlarmRadii& radii = report.radii;
    for (int i = 0; i < count; ++i) {
        Poi& poi = list[i];
        double d = from.to(poi.length, poi.wide);
        if (d > kSearchRadiusKm) {
            if (i < kNearestShown) report.findings.push_back({&poi, d, true, false, kNoAlarm, false});
            report.withinSearch = i;
            return;
        }
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
    }
}
