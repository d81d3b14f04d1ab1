// The POI list file: one POI a line, longitude, latitude and name in decimal
// degrees, separated by commas and/or white space:
//
//   % speed cameras around Bremen
//   9.12700, 53.07033, "[2974]"
//
// '%' or '#' in the first column starts a comment.
#pragma once

#include "log/log.h"
#include "poi.h"

// How the reading of a POI file ended.
enum PoiFileEnd {
    kPoiFileWhole,        // read to its end
    kPoiFileMissing,      // it cannot be opened
    kPoiFileInvalidLine,  // reading stopped at a line that does not fit, keeping the POIs before it
    kPoiFileNoMemory,     // no block for its POIs
};

// A block of POIs of its own, allocated with malloc at its final size; the
// caller releases it with free.
struct PoiFile {
    Poi* list;
    int count;
    PoiFileEnd end;
    int invalidLine;  // its number, when reading stopped at one
};

// Reads the file into a new block and reports what it does on the log:
// "Loading POI list from ...", the format help at an invalid line, the
// number found. With no log it reads silently.
PoiFile readPoiFile(const char* path, Log* log);
