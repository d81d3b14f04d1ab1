#include "warning_rules.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kRadians = 3.14159265358979323846 / 180.0;

int switchValue(const char* value) { return strcmp(value, "true") == 0 ? 1 : strcmp(value, "false") == 0 ? 0 : -1; }

// The angle between two directions, 0 to 180 degrees.
double apart(double a, double b) { return fabs(fmod(a - b + 540.0, 360.0) - 180.0); }

}  // namespace

void WarningRules::configureAheadOnly(const char* value) { aheadOnly = switchValue(value); }
void WarningRules::configureDirections(const char* value) { checkDirections = switchValue(value); }
void WarningRules::configureOverLimitOnly(const char* value) { overLimitOnly = switchValue(value); }

void WarningRules::configureSeconds(const char* value)
{
    bool digits = strspn(value, "0123456789") == strlen(value);
    long asked = digits ? strtol(value, nullptr, 10) : 0;
    seconds = asked >= 1 && asked <= kMaxWarnSeconds ? static_cast<int>(asked) : -1;
}

void WarningRules::moving(double speedKnots, double courseDegrees)
{
    knots = speedKnots;
    course = courseDegrees;
}

double WarningRules::radiusScale(double outerKm) const
{
    if (seconds <= 0 || knots <= 0 || !(outerKm > 0)) return 1.0;
    double drivenKm = kmh() / 3600.0 * seconds;
    return drivenKm > outerKm ? drivenKm / outerKm : 1.0;
}

bool WarningRules::announces(double bearing) const
{
    return aheadOnly != 1 || !courseKnown() || apart(bearing, course) <= kAheadHalfAngle;
}

bool WarningRules::allows(const Poi& poi) const
{
    if (poi.heading != kAllHeadings && checkDirections == 1 && courseKnown()) {
        double off = apart(poi.heading, course);
        if (poi.bothWays) off = std::min(off, 180.0 - off);
        if (off > kHeadingTolerance) return false;
    }
    // An unknown speed (an empty field) is not known to be under the limit.
    return overLimitOnly != 1 || poi.limitKmh == kNoLimit || knots < 0 || kmh() > poi.limitKmh;
}

double bearingTo(double length1, double wide1, double length2, double wide2)
{
    double w1 = wide1 * kRadians, w2 = wide2 * kRadians, dl = (length2 - length1) * kRadians;
    double y = sin(dl) * cos(w2);
    double x = cos(w1) * sin(w2) - sin(w1) * cos(w2) * cos(dl);
    return fmod(atan2(y, x) / kRadians + 360.0, 360.0);
}
