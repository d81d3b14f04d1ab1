// Average-speed sections, from a file beside the POI list that the importer
// writes (gefahr.csv: gefahr.sections.csv), so that a list older versions
// read never holds a line they would stop at. One section a line, each
// direction of a road a section of its own:
//
//   % start longitude, latitude, end longitude, latitude, limit km/h, length km, name
//   11.39000, 47.26000, 11.40500, 47.27000, 80, 1.600, A12_Tunnel
//
// Separators and comments as in the POI list; the length is along the road.
#pragma once

#include <string>
#include <vector>

#include "geo/geo.h"
#include "log/log.h"

struct Section {
    Place start;
    Place end;
    int limitKmh;
    double lengthKm;
    char name[32];
};

// The sections file that belongs to a POI list: ".csv" (any case) replaced,
// or added to, by ".sections.csv".
std::string sectionsPathFor(const char* listPath);

// Reads the file; none when it does not exist (silently: lists without
// sections print nothing new). Reading stops at a line that does not fit,
// which is reported, keeping the sections before it.
std::vector<Section> readSections(const std::string& path, Log* log);
