// One data line of the POI list file:
//
//   9.12700, 53.07033, "[2974]"
//
// longitude, latitude and name, separated by commas and/or white space.
#pragma once

#include "poi.h"

// Whether the line holds data: not a comment ('%' or '#' in the first
// column), not shorter than 2 characters with its line end.
bool isPoiDataLine(const char* line);

// Reads a data line into the record, its latches armed; false when the line
// does not fit. The line is cut into its tokens in place.
bool readPoiLine(char* line, Poi& poi);
