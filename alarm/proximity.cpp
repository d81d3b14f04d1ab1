#include "proximity.h"

#include <algorithm>
#include <cstdio>

#include "platform.h"
#include "poi/distance.h"
#include "sounds.h"

namespace {

constexpr double kSearchRadiusKm = 30.0;  // the walk stops at the first POI beyond it
constexpr int kNearestLogged = 10;

void startSound(AlarmLevel level)
{
    void (*pattern)(void*) = level == kAlarm4 ? playAlarm4 : level == kAlarm2 ? playAlarm2 : playAlarm1;
    _beginthread(pattern, 0, nullptr);
}

}  // namespace

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

void checkProximity(Poi* list, int count, double length, double wide, const AlarmRadii& configured,
                    const WarningRules& rules, Log* log)
{
    DistanceFrom here(length, wide);
    double scale = rules.radiusScale(configured.outer);
    AlarmRadii radii{configured.outer * scale, configured.middle * scale, configured.inner * scale};
    for (int i = 0; i < count; ++i) {
        Poi& poi = list[i];
        double d = here.to(poi.length, poi.wide);
        if (i < kNearestLogged)
            logDetail(log, "nearest POI: name=%10s %lf km    length=%lf wide=%lf \n", poi.name, d, poi.length,
                      poi.wide);
        if (d > kSearchRadiusKm) {
            logDetail(log, "%d POIs are in the radius of 30km\n", i);
            return;
        }
        if (d > radii.outer && d > poi.latchRadius) {
            poi.alarm1Fired = 0;
            poi.alarm2Fired = 0;
            poi.alarm4Fired = 0;
            poi.latchRadius = 0;
        }
        if (!(d < radii.outer) || !rules.allows(poi) || !rules.announces(bearingTo(length, wide, poi.length, poi.wide)))
            continue;
        char limit[32] = "";
        if (poi.limitKmh != kNoLimit) snprintf(limit, sizeof limit, " (limit %d km/h)", poi.limitKmh);
        if (scale > 1.0)
            logMessage(log, "POI in the near %lf km    length=%lf wide=%lf name=%s%s (%d km/h: radius %lf km)\n", d,
                       poi.length, poi.wide, poi.name, limit, static_cast<int>(rules.kmh() + 0.5), radii.outer);
        else
            logMessage(log, "POI in the near %lf km    length=%lf wide=%lf name=%s%s\n", d, poi.length, poi.wide,
                       poi.name, limit);

        AlarmLevel level = levelReached(poi, d, radii);
        if (level == kNoAlarm) continue;
        // Announced at a grown radius, it is armed again only beyond that radius.
        if (scale > 1.0) poi.latchRadius = static_cast<float>(std::max<double>(poi.latchRadius, radii.outer));
        startSound(level);
    }
}
