// Keeping the POI list nearest-first around a position, so that the
// proximity check can stop at the first POI beyond its search radius.
#pragma once

#include "poi.h"

// Orders the records nearest-first around the position (decimal degrees);
// the latches move with their POIs.
void orderByDistance(Poi* list, int count, double length, double wide);

// Whether every record is at least as far from the position as the one before.
bool isOrderedByDistance(const Poi* list, int count, double length, double wide);
