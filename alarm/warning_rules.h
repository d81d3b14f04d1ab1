// Warnings that fit the drive. While none of these keys is in config.txt
// and no POI carries a direction or a limit, every POI inside a radius is
// announced at the configured radii, as always.
//
//   warnAheadOnly=true      a POI is announced only while it lies ahead: its
//                           bearing within kAheadHalfAngle of the course
//   warnSeconds=15          each radius grows to at least the distance driven
//                           in 15 s (the outer one; the others in proportion)
//   checkDirections=false   POIs that check one direction (or both ways) are
//                           announced whatever the course; by default only
//                           while the course is within kHeadingTolerance of
//                           a heading they check
//   warnOverLimitOnly=true  a POI with a speed limit is announced only while
//                           the speed over ground exceeds it
#pragma once

#include "poi/poi.h"

constexpr double kAheadHalfAngle = 60.0;    // degrees either side of the course over ground
constexpr double kHeadingTolerance = 45.0;  // degrees between the course and a heading a camera checks
constexpr double kDirectionKmh = 10.0;      // slower, the course is noise: every direction counts

class WarningRules {
public:
    // The motion of the position being checked, km/h and degrees true; -1
    // for a field the receiver left empty.
    void moving(double kmh, double course);
    // What the three radii are multiplied by: at least 1, so that the outer
    // one covers warnSeconds of driving at the current speed.
    double radiusScale(double outerKm) const;
    // Whether a POI at this bearing (degrees true) from the car is announced.
    bool announces(double bearing) const;
    // Whether the POI's direction and limit let it be announced now.
    bool allows(const Poi& poi) const;
    double kmh() const { return speedKmh; }

    // The settings of the same names, from config.txt.
    bool aheadOnly = false;
    int seconds = 0;  // 0: the radii as configured
    bool checkDirections = true;
    bool overLimitOnly = false;

private:
    // Fast enough that the course over ground means something.
    bool courseKnown() const { return speedKmh >= 0 && courseDegrees >= 0 && speedKmh >= kDirectionKmh; }

    double speedKmh = -1;
    double courseDegrees = -1;
};
