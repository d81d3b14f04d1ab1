// Warnings that fit the drive, both opt-in through config.txt. While neither
// key is given, every POI inside a radius is announced at the configured
// radii, as always.
//
//   warnAheadOnly=true  a POI is announced only while it lies ahead: its
//                       bearing within kAheadHalfAngle of the course
//   warnSeconds=15      each radius grows to at least the distance driven in
//                       15 s (the outer one; the others in proportion)
#pragma once

constexpr double kAheadHalfAngle = 60.0;      // degrees either side of the course over ground
constexpr double kDirectionKmh = 10.0;        // slower, the course is noise: every direction counts
constexpr int kMaxWarnSeconds = 60;
constexpr double kKmhPerKnot = 1.852;

class WarningRules {
public:
    void configureAheadOnly(const char* value);  // "true" or "false"
    void configureSeconds(const char* value);    // whole seconds, 1 to kMaxWarnSeconds

    // The motion of the fix being checked; -1 for a field the receiver left empty.
    void moving(double knots, double course);
    // What the three radii are multiplied by: at least 1, so that the outer
    // one covers warnSeconds of driving at the current speed.
    double radiusScale(double outerKm) const;
    // Whether a POI at this bearing (degrees true) from the car is announced.
    bool announces(double bearing) const;
    double kmh() const { return knots * kKmhPerKnot; }

    int aheadOnly = 0;  // 1 once "true"; -1 for a value that is neither
    int seconds = 0;    // -1 for a value out of range

private:
    double knots = -1;
    double course = -1;
};

// Initial great-circle bearing from the first position to the second,
// degrees true (0 to 360). Angles in decimal degrees.
double bearingTo(double length1, double wide1, double length2, double wide2);
