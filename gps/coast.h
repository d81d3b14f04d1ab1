// Through a tunnel: the receiver goes on talking without a fix (status V,
// empty fields) or falls silent, and the cameras in the tunnel are the ones
// drivers miss. After good fixes at speed, the position is carried on along
// the last course at the last speed, about once a second, for at most
// coastSeconds; the first good fix ends it.
#pragma once

#include "geo/geo.h"

// Slower than this the course over ground is noise: an estimate would
// wander off in any direction, so none is made.
constexpr double kCoastLeastKmh = 10.0;
// A fix is missed once none came for this long (1 Hz receivers send one
// a second, with some jitter); estimates follow every kCoastStepMs.
constexpr long long kCoastAfterMs = 1500;
constexpr long long kCoastStepMs = 1000;

class Coast {
public:
    enum Step {
        kNothing,    // a fix is not missed yet, or no estimate is possible
        kEstimated,  // where the car is now
        kGaveUp,     // coastSeconds passed without a fix: no more estimates (said once)
    };

    // 0: never, as without the setting.
    void configure(int seconds) { limitMs = seconds * 1000LL; }
    // A good fix taken at nowMs (milliseconds of a steady clock); speed in
    // km/h and course in degrees true, -1 where the receiver left them out;
    // its own time of day in seconds (-1 for none). When it ends estimates
    // that were still going on: how far from the fix the estimate for this
    // moment lies, km; -1 otherwise.
    double fix(Place at, double kmh, double course, long long nowMs, double seconds = -1);
    // Called often: when an estimate is due, where the car is now, carried
    // on from the last fix along its course at its speed.
    Step step(long long nowMs, Place& at);
    // The port closed: no estimate until the next good fix.
    void stop() { movable = false; }

    bool coasting() const { return estimates > 0; }
    Place lastFix() const { return from; }
    int secondsWithout(long long nowMs) const { return static_cast<int>((nowMs - fixMs) / 1000); }
    // The time of day of an estimate made now: the last fix's and what has passed since.
    double secondsAt(long long nowMs) const { return fixSeconds < 0 ? -1 : fixSeconds + (nowMs - fixMs) / 1000.0; }
    double kmh() const { return speedKmh; }
    double course() const { return courseDegrees; }

private:
    long long limitMs = 0;
    bool movable = false;  // the last fix was at speed, with a course, and estimates may go on
    Place from{0, 0};
    double speedKmh = 0;
    double courseDegrees = 0;
    long long fixMs = 0;
    double fixSeconds = -1;
    Place estimateAt(long long nowMs) const;
    long long nextMs = 0;
    int estimates = 0;
};
