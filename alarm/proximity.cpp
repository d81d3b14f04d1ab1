// The proximity check: for each position, walk the list from the nearest POI
// outward and sound the innermost level reached whose latch is still clear.
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
        if (d > treshold_enableAlarm_1) {
            poi.alarm1Fired = 0;
            poi.alarm2Fired = 0;
            poi.alarm4Fired = 0;
        }
        if (d < treshold_enableAlarm_1)
            logMessage(log, "POI in the near %lf km    length=%lf wide=%lf name=%s\n", d, poi.length,
                       poi.wide, poi.name);

        if (d < treshold_enableAlarm_4 && poi.alarm4Fired == 0) {
            poi.alarm4Fired = 1;
            startSound(playAlarm4);
        } else if (d < treshold_enableAlarm_2 && poi.alarm2Fired == 0) {
            poi.alarm2Fired = 1;
            startSound(playAlarm2);
        } else if (d < treshold_enableAlarm_1 && poi.alarm1Fired == 0) {
            poi.alarm1Fired = 1;
            startSound(playAlarm1);
        }
    }
}
