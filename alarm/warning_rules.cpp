#include "warning_rules.h"

#include <algorithm>
#include <cmath>

namespace {

// The angle between two directions, 0 to 180 degrees.
double apart(double a, double b) { return fabs(fmod(a - b + 540.0, 360.0) - 180.0); }

}  // namespace

void WarningRules::moving(double kmh, double course)
{
    speedKmh = kmh;
    courseDegrees = course;
}

double WarningRules::radiusScale(double outerKm) const
{
    if (seconds <= 0 || speedKmh <= 0 || !(outerKm > 0)) return 1.0;
    double drivenKm = speedKmh / 3600.0 * seconds;
    return drivenKm > outerKm ? drivenKm / outerKm : 1.0;
}

bool WarningRules::announces(double bearing) const
{
    return !aheadOnly || !courseKnown() || apart(bearing, courseDegrees) <= kAheadHalfAngle;
}

bool WarningRules::allows(const Poi& poi) const
{
    if (poi.heading != kAllHeadings && checkDirections && courseKnown()) {
        double off = apart(poi.heading, courseDegrees);
        if (poi.bothWays) off = std::min(off, 180.0 - off);
        if (off > kHeadingTolerance) return false;
    }
    // An unknown speed (an empty field) is not known to be under the limit.
    return !overLimitOnly || poi.limitKmh == kNoLimit || speedKmh < 0 || speedKmh > poi.limitKmh;
}
