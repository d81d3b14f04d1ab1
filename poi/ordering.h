// Keeping the POI list nearest-first around a position, so that the
// proximity check can stop at the first POI beyond its search radius.
#pragma once

#include "poi.h"

// Orders the records nearest-first around the position (decimal degrees);
// the latches move with their POIs.
void orderByDistance(Poi* list, int count, double length, double wide);

// Whether every record is at least as far from the position as the one before.
bool isOrderedByDistance(const Poi* list, int count, double length, double wide);

// Where the list was last ordered. The proximity walk stops at the first
// POI beyond 30 km in that order, so once the car is about 15 km from there
// a POI left behind can end the walk before one ahead is reached: the list
// is ordered again well before, kReorderKm on.
constexpr double kReorderKm = 5.0;

struct OrderedAround {
    double length = 0;
    double wide = 0;
    bool farFrom(double length, double wide) const;
};
