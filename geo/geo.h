// Places on the earth and the arithmetic between them: distance, bearing,
// the point a course leads to. One sphere for the whole program.
#pragma once

#include <cmath>

// A point on the earth in decimal degrees, longitude first, as the POI list
// writes it.
struct Place {
    double length;
    double wide;
};

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
constexpr double kEarthRadiusKm = 6371.0;

// Great-circle distance in km by the spherical law of cosines, from one
// position to many: the position's sine and cosine are computed once.
// Angles in decimal degrees. Inline: the ordering and the proximity check
// call it once per POI.
class DistanceFrom {
public:
    DistanceFrom(double length1, double wide1)
        : length1Rad(toRadians(length1)), sinWide1(sin(toRadians(wide1))), cosWide1(cos(toRadians(wide1)))
    {
    }

    double to(double length2, double wide2) const
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

private:
    static constexpr double kPi = 3.14159265;  // the program's own value, kept for its distances
    static constexpr double kHalfTurn = 180.0;
    static double toRadians(double degrees) { return degrees / kHalfTurn * kPi; }

    double length1Rad;
    double sinWide1;
    double cosWide1;
};

// The same from one position to one other.
inline double greatCircleDistance(double length1, double length2, double wide1, double wide2)
{
    return DistanceFrom(length1, wide1).to(length2, wide2);
}

// Initial great-circle bearing from one place towards another, degrees true
// (0 to 360).
inline double bearingTo(Place from, Place to)
{
    double w1 = from.wide * kRadiansPerDegree, w2 = to.wide * kRadiansPerDegree;
    double dl = (to.length - from.length) * kRadiansPerDegree;
    double y = sin(dl) * cos(w2);
    double x = cos(w1) * sin(w2) - sin(w1) * cos(w2) * cos(dl);
    return fmod(atan2(y, x) / kRadiansPerDegree + 360.0, 360.0);
}

// Where a great circle leaves from a place at a bearing (degrees true) after
// km: how a car that keeps its course moves on.
inline Place carriedOn(Place from, double bearing, double km)
{
    double w1 = from.wide * kRadiansPerDegree, l1 = from.length * kRadiansPerDegree, b = bearing * kRadiansPerDegree;
    double arc = km / kEarthRadiusKm;
    double w2 = asin(sin(w1) * cos(arc) + cos(w1) * sin(arc) * cos(b));
    double l2 = l1 + atan2(sin(b) * sin(arc) * cos(w1), cos(arc) - sin(w1) * sin(w2));
    return {fmod(l2 / kRadiansPerDegree + 540.0, 360.0) - 180.0, w2 / kRadiansPerDegree};
}
