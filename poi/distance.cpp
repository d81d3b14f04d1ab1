#include "distance.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265;  // the program's own value, kept for its distances
constexpr double kHalfTurn = 180.0;
constexpr double kEarthRadiusKm = 6371.0;

double toRadians(double degrees) { return degrees / kHalfTurn * kPi; }

}  // namespace

DistanceFrom::DistanceFrom(double length1, double wide1)
    : length1Rad(toRadians(length1)), sinWide1(sin(toRadians(wide1))), cosWide1(cos(toRadians(wide1)))
{
}

double DistanceFrom::to(double length2, double wide2) const
{
    double s = sin(toRadians(wide2)) * sinWide1;
    double c = cos(toRadians(wide2)) * cosWide1;
    double d = length1Rad - toRadians(length2);
    double x = cos(d) * c + s;
    // Rounding can carry x past 1 when both points are the same; acos would
    // then give NaN, which no comparison of the sort or the alarm can order.
    if (x > 1.0) x = 1.0;
    if (x < -1.0) x = -1.0;
    return acos(x) * kEarthRadiusKm;
}

double greatCircleDistance(double length1, double length2, double wide1, double wide2)
{
    return DistanceFrom(length1, wide1).to(length2, wide2);
}
