#include "sections.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kKmPerDegree = kEarthRadiusKm * kRadiansPerDegree;
constexpr double kHalfDay = 43200.0;
// Two sections are one when their ends lie this close (degrees): the list
// writes six decimals.
constexpr double kSamePlaceDegrees = 2e-6;

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

bool samePlace(Place a, Place b)
{
    return fabs(a.length - b.length) <= kSamePlaceDegrees && fabs(a.wide - b.wide) <= kSamePlaceDegrees;
}

}  // namespace

double SectionWatch::averageKmh() const
{
    double hours = (lastTime - enteredAt) / 3600.0;
    return hours > 0 ? along / hours : 0;
}

double SectionWatch::remainingKm() const { return current ? std::max(current->lengthKm - along, 0.0) : 0; }

double SectionWatch::allowedKmh() const
{
    double hoursLeft = current->lengthKm / current->limitKmh - (lastTime - enteredAt) / 3600.0;
    return hoursLeft > 0 ? remainingKm() / hoursLeft : -1;
}

// The chord from start to end stands for the road: the share of it the car
// has come, of the length along the road.
double SectionWatch::alongKm(Place at) const
{
    Passing p = passing(current->start, current->end, at);
    return std::min(std::max(p.along, 0.0), 1.0) * current->lengthKm;
}

// The average the end would see if the car kept this speed for the rest.
double SectionWatch::finalKmh(double kmh) const
{
    if (kmh < 0) kmh = averageKmh();
    double hours = (lastTime - enteredAt) / 3600.0, rest = remainingKm();
    if (rest <= 0) return averageKmh();
    if (kmh <= 0) return 0;  // standing: the end is as far off as can be
    return current->lengthKm / (hours + rest / kmh);
}

void SectionWatch::push(SectionEvent::Kind kind, double average)
{
    events.push_back({kind, current, average, along, allowedKmh()});
}

void SectionWatch::enter(const Section& s, double when, Place at, double t)
{
    current = &s;
    enteredAt = when;
    lastTime = t;
    along = alongKm(at);
    alongTime = t;
    anchor = s.start;
    travelled = km(anchor, at);
    nearestEnd = km(at, s.end);
    over = false;
    push(SectionEvent::kEntered, 0);
}

const std::vector<SectionEvent>& SectionWatch::take(std::vector<Section> fresh)
{
    events.clear();
    const Section* was = current;
    if (was) dropped = *was;
    sections = std::move(fresh);
    current = nullptr;
    if (!was) return events;
    for (const Section& s : sections)
        if (samePlace(s.start, dropped.start) && samePlace(s.end, dropped.end) && s.limitKmh == dropped.limitKmh) {
            current = &s;
            return events;
        }
    double average = averageKmh();
    events.push_back({SectionEvent::kDropped, &dropped, average, along, -1});
    return events;
}

const std::vector<SectionEvent>& SectionWatch::update(Place at, double secondsOfDay, double kmh)
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
    double seconds = t - previousTime;
    if (current) {
        Passing end = passing(previous, at, current->end);
        if (passes(end)) {
            along = current->lengthKm;
            lastTime = previousTime + end.along * seconds;
            push(SectionEvent::kLeft, averageKmh());
            current = nullptr;
        } else {
            lastTime = t;
            if (alongKm(at) > along) {
                along = alongKm(at);
                alongTime = t;
            }
            double moved = km(anchor, at);
            if (moved >= kSectionNoiseKm) {
                travelled += moved;
                anchor = at;
            }
            nearestEnd = std::min(nearestEnd, km(at, current->end));
            double predicted = finalKmh(kmh);
            if (km(at, current->end) > nearestEnd + kSectionStrayKm || travelled > current->lengthKm + kSectionDetourKm) {
                // over the way it came along the section, not the time since
                double hours = (alongTime - enteredAt) / 3600.0;
                push(SectionEvent::kLeftOnTheWay, hours > 0 ? along / hours : 0);
                current = nullptr;
            } else if (predicted > current->limitKmh) {
                if (!over) push(SectionEvent::kOverLimit, predicted);
                over = true;
            } else {
                over = false;
            }
        }
    }
    // Heading for the end: nearer to it after passing the start than before,
    // or past it within the same stretch.
    for (const Section& s : sections) {
        if (current) break;
        Passing start = passing(previous, at, s.start);
        if (!passes(start)) continue;
        Passing end = passing(previous, at, s.end);
        bool across = passes(end) && end.along > start.along;
        if (!across && !(km(at, s.end) < km(previous, s.end))) continue;
        enter(s, previousTime + start.along * seconds, at, t);
        if (across) {
            along = s.lengthKm;
            lastTime = previousTime + end.along * seconds;
            push(SectionEvent::kLeft, averageKmh());
            current = nullptr;
            break;
        }
    }
    previous = at;
    previousTime = t;
    return events;
}
