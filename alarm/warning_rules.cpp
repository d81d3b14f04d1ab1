#include "warning_rules.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr double kRadians = 3.14159265358979323846 / 180.0;

}  // namespace

void WarningRules::configureAheadOnly(const char* value)
{
    aheadOnly = strcmp(value, "true") == 0 ? 1 : strcmp(value, "false") == 0 ? 0 : -1;
}

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
    if (aheadOnly != 1 || knots < 0 || course < 0 || kmh() < kDirectionKmh) return true;
    double off = fabs(fmod(bearing - course + 540.0, 360.0) - 180.0);  // 0 to 180
    return off <= kAheadHalfAngle;
}

double bearingTo(double length1, double wide1, double length2, double wide2)
{
    double w1 = wide1 * kRadians, w2 = wide2 * kRadians, dl = (length2 - length1) * kRadians;
    double y = sin(dl) * cos(w2);
    double x = cos(w1) * sin(w2) - sin(w1) * cos(w2) * cos(dl);
    return fmod(atan2(y, x) / kRadians + 360.0, 360.0);
}
