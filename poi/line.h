// One data line of the POI list file:
//
//   9.12700, 53.07033, "[2974]"
//   8.80000, 53.07400, Blitzer_Nord, 50, 180
//   8.90000, 53.10000, Blitzer_A1, 120, 90/270
//   8.95000, 53.11000, Ampel, -, 45
//
// longitude, latitude and name, separated by commas and/or white space;
// then, optionally, the speed limit in km/h (1 to 300; '-' or 0 for none)
// and the heading of the traffic the camera checks, in whole degrees true
// (0 to 360, north 0 or 360; D/E for that heading and its opposite; '-' for
// every direction).
#pragma once

#include "poi.h"

// Whether the line holds data: not a comment ('%' or '#' in the first
// column), not shorter than 2 characters with its line end.
bool isPoiDataLine(const char* line);

// Reads a data line into the record, its latches armed; false when the line
// does not fit. The line is cut into its tokens in place.
bool readPoiLine(char* line, Poi& poi);
