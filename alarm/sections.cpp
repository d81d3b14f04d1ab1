#include "sections.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kKmPerDegree = 6371.0 * kRadiansPerDegree;
constexpr double kHalfDay = 43200.0;

// Where a gate point lies against the stretch driven from a to b, on a
// flat map around a: how far along it (0 at a, 1 at b) the car passed it,
// and how far beside the stretch it is (km).
struct Passing {
    double along;
    double besideKm;
};

Passing passing(Place a, Place b, Place gate)
{
    double east = cos(a.wide * kRadiansPerDegree) * kKmPerDegree;
    double bx = (b.length - a.length) * east, by = (b.wide - a.wide) * kKmPerDegree;
    double gx = (gate.length - a.length) * east, gy = (gate.wide - a.wide) * kKmPerDegree;
    double length2 = bx * bx + by * by;
    if (length2 <= 0) return {-1, 0};
    return {(gx * bx + gy * by) / length2, fabs(gx * by - gy * bx) / sqrt(length2)};
}

bool passes(const Passing& p) { return p.along > 0 && p.along <= 1 && p.besideKm <= kSectionGateKm; }

double km(Place a, Place b) { return greatCircleDistance(a.length, b.length, a.wide, b.wide); }

}  // namespace

double SectionWatch::averageKmh() const
{
    double hours = (lastTime - enteredAt) / 3600.0;
    return hours > 0 ? driven / hours : 0;
}

double SectionWatch::remainingKm() const { return current ? std::max(current->lengthKm - driven, 0.0) : 0; }

double SectionWatch::allowedKmh() const
{
    double hoursLeft = current->lengthKm / current->limitKmh - (lastTime - enteredAt) / 3600.0;
    return hoursLeft > 0 ? remainingKm() / hoursLeft : -1;
}

void SectionWatch::take(std::vector<Section> fresh)
{
    sections = std::move(fresh);
    current = nullptr;
}

const std::vector<SectionEvent>& SectionWatch::update(Place at, double secondsOfDay)
{
    events.clear();
    double t = secondsOfDay + dayOffset;
    if (havePrevious && t < previousTime - kHalfDay) {
        dayOffset += 2 * kHalfDay;
        t += 2 * kHalfDay;
    }
    if (!havePrevious || t <= previousTime) {
        havePrevious = true;
        previous = at;
        previousTime = t;
        return events;
    }
    double step = km(previous, at), seconds = t - previousTime;
    if (current) {
        Passing end = passing(previous, at, current->end);
        if (passes(end)) {
            driven += end.along * step;
            lastTime = previousTime + end.along * seconds;
            events.push_back({SectionEvent::kLeft, current, averageKmh(), driven});
            current = nullptr;
        } else {
            driven += step;
            lastTime = t;
            nearestEnd = std::min(nearestEnd, km(at, current->end));
            if (km(at, current->end) > nearestEnd + kSectionStrayKm || driven > current->lengthKm + kSectionDetourKm) {
                events.push_back({SectionEvent::kLeftOnTheWay, current, averageKmh(), driven});
                current = nullptr;
            } else if (averageKmh() > current->limitKmh) {
                if (!over) events.push_back({SectionEvent::kOverLimit, current, averageKmh(), driven});
                over = true;
            } else {
                over = false;
            }
        }
    }
    // Heading for the end: nearer to it after passing the start than before.
    for (const Section& s : sections) {
        if (current) break;
        Passing start = passing(previous, at, s.start);
        if (!passes(start) || !(km(at, s.end) < km(previous, s.end))) continue;
        current = &s;
        enteredAt = previousTime + start.along * seconds;
        lastTime = t;
        driven = (1 - start.along) * step;
        nearestEnd = km(at, s.end);
        over = false;
        events.push_back({SectionEvent::kEntered, current, 0, 0});
    }
    previous = at;
    previousTime = t;
    return events;
}
