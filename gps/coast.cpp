#include "coast.h"

Place Coast::estimateAt(long long nowMs) const
{
    return carriedOn(from, courseDegrees, speedKmh * static_cast<double>(nowMs - fixMs) / 3600000.0);
}

double Coast::fix(Place at, double kmh, double course, long long nowMs, double seconds)
{
    double error = -1;
    if (estimates > 0 && movable) {
        Place guess = estimateAt(nowMs);
        error = greatCircleDistance(guess.length, at.length, guess.wide, at.wide);
    }
    from = at;
    speedKmh = kmh;
    courseDegrees = course;
    fixMs = nowMs;
    fixSeconds = seconds;
    nextMs = nowMs + kCoastAfterMs;
    movable = limitMs > 0 && kmh >= kCoastLeastKmh && course >= 0;
    estimates = 0;
    return error;
}

Coast::Step Coast::step(long long nowMs, Place& at)
{
    if (!movable || nowMs < nextMs) return kNothing;
    if (nowMs - fixMs > limitMs) {
        movable = false;
        return kGaveUp;
    }
    nextMs = nowMs + kCoastStepMs;
    ++estimates;
    at = estimateAt(nowMs);
    return kEstimated;
}
