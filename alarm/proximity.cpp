// The proximity check: for each position, walk the list from the nearest POI
// outward and sound the innermost level reached whose latch is still clear.
#include <algorithm>

#include "alarm/sounds.h"
#include "app/poiguard.h"
#include "poi/distance.h"

namespace {

constexpr double kSearchRadiusKm = 30.0;  // the walk stops at the first POI beyond it
constexpr int kNearestLogged = 10;

void startSound(void (*pattern)(void*)) { _beginthread(pattern, 0, nullptr); }

}  // namespace

void CPoiGuard::checkAlarms(double length, double wide)
{
    if (PoiListSorted == 0) return;
    DistanceFrom here(length, wide);
    double scale = rules.radiusScale(treshold_enableAlarm_1);
    double radius1 = treshold_enableAlarm_1 * scale;
    double radius2 = treshold_enableAlarm_2 * scale;
    double radius4 = treshold_enableAlarm_4 * scale;
    for (int i = 0; i < poiCount; ++i) {
        Poi& poi = poiList[i];
        double d = here.to(poi.length, poi.wide);
        if (i < kNearestLogged)
            logMessage(log, "nearest POI: name=%10s %lf km    length=%lf wide=%lf \n", poi.name, d,
                       poi.length, poi.wide);
        if (d > kSearchRadiusKm) {
            logMessage(log, "%d POIs are in the radius of 30km\n", i);
            return;
        }
        if (d > radius1 && d > poi.latchRadius) {
            poi.alarm1Fired = 0;
            poi.alarm2Fired = 0;
            poi.alarm4Fired = 0;
            poi.latchRadius = 0;
        }
        if (!(d < radius1) || !rules.announces(bearingTo(length, wide, poi.length, poi.wide))) continue;
        if (scale > 1.0)
            logMessage(log, "POI in the near %lf km    length=%lf wide=%lf name=%s (%d km/h: radius %lf km)\n", d,
                       poi.length, poi.wide, poi.name, static_cast<int>(rules.kmh() + 0.5), radius1);
        else
            logMessage(log, "POI in the near %lf km    length=%lf wide=%lf name=%s\n", d, poi.length, poi.wide,
                       poi.name);

        void (*pattern)(void*) = nullptr;
        if (d < radius4 && poi.alarm4Fired == 0) {
            poi.alarm4Fired = 1;
            pattern = playAlarm4;
        } else if (d < radius2 && poi.alarm2Fired == 0) {
            poi.alarm2Fired = 1;
            pattern = playAlarm2;
        } else if (poi.alarm1Fired == 0) {
            poi.alarm1Fired = 1;
            pattern = playAlarm1;
        }
        if (pattern && scale > 1.0) poi.latchRadius = static_cast<float>(std::max<double>(poi.latchRadius, radius1));
        if (pattern) startSound(pattern);
    }
}
