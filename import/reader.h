// What the readers of import/ share: read-pois writes one POI a line on
// standard output for import-pois, tab-separated: longitude, latitude,
// name, speed limit (km/h; empty for none), and the heading of the traffic
// it checks as poiguard's list writes it (D, or D/E both ways; empty for
// every direction). One file per format it reads itself.
#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

struct Point {
    double length = 0;
    double wide = 0;
    std::string name;
    int limit = 0;        // km/h, 0 for none
    double heading = -1;  // of the traffic checked, degrees true; -1 for every direction
    bool bothWays = false;
};

// Longitude and latitude on the earth.
bool inRange(const Point& p);
void write(Point p);
// One camera's ways: the same way twice once, two opposite ways at one
// limit as one line that checks both.
void writeWays(const std::vector<Point>& ways);

// The whole text is a finite number, blanks around it allowed.
bool readNumber(const std::string& text, double& value);
// Comma-separated fields, double quotes around a field (with "" for a quote
// inside it) keeping its commas; blanks around fields dropped.
std::vector<std::string> csvFields(const std::string& line);
// Lines without their line end; a byte-order mark before the first is dropped.
bool nextLine(std::istream& in, std::string& line, int& number);
// A blank line, or one starting with %, # or //.
bool isComment(const std::string& line);
// Reports a line that does not fit; the reader's exit status.
int fail(const char* path, int number, const char* expected, const std::string& line);

// Limits over what the program takes, left out and counted for the summary.
constexpr int kMaxLimitKmh = 300;
extern int refusedLimits;
// A limit in km/h as the program takes it: never rounded above the true
// limit (70 mph is 112.65 km/h: 112, so that 112.9 km/h is over it), and
// none when it is more than the program takes.
int keptLimit(double kmh);

// own_list.cpp: poiguard's own list, or Garmin POI Loader CSV.
bool readLonLat(const std::string& line, Point& p);
int lonlat(std::istream& in, const char* path);
// camera_db.cpp: a camera database.
int cameraColumns(std::string header);
int cameras(std::istream& in, const char* path, bool facing);
// osm.cpp: OpenStreetMap; its average-speed sections, in poiguard's sections
// format, into the file named (none: not read).
int osm(const char* path, bool traffic, std::vector<std::pair<std::string, std::string>> tags, const char* sectionsPath);
extern int sectionsWithoutLimit;
// merge.cpp: the inputs merged, true duplicates dropped.
int merge(double within, char** files, int count);
