// What the parts of poiguard-import-pois share. Each reader returns what it
// read (its POIs and what it left out); main.cpp merges them, names them,
// writes the list and prints one summary.
#pragma once

#include <functional>
#include <stdexcept>
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

// What one input gave.
struct Read {
    std::vector<Point> points;
    int refusedLimits = 0;         // limits over what the program takes, their cameras kept
    int sectionsWithoutLimit = 0;  // average-speed sections left out
    int leftOut = 0;               // track and route points gpsbabel saw and we did not take
    std::vector<std::string> sections;  // lines of poiguard's sections file
};

// An input that does not read: the message says where and why.
struct ReadError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

using Tags = std::vector<std::pair<std::string, std::string>>;

// Longitude and latitude on the earth.
bool inRange(const Point& p);
// One camera's ways: the same way twice once, two opposite ways at one
// limit as one POI that checks both.
void addWays(const std::vector<Point>& ways, std::vector<Point>& out);

// The whole text is a finite number, blanks around it allowed.
bool readNumber(const std::string& text, double& value);
// Comma-separated fields, double quotes around a field (with "" for a quote
// inside it) keeping its commas; blanks around fields dropped.
std::vector<std::string> csvFields(const std::string& line);
// A file's whole text (empty when it cannot be read), and a text in small
// letters (ASCII's; other bytes as they are).
std::string fileText(const std::string& path);
std::string lower(std::string s);
// The lines of a text, without their line ends; a byte-order mark before the
// first is dropped.
std::vector<std::string> textLines(const std::string& text);
// A blank line, or one starting with %, # or //.
bool isComment(const std::string& line);
// The error for a line that does not fit.
ReadError notA(const std::string& path, int number, const char* expected, const std::string& line);

constexpr int kMaxLimitKmh = 300;
// A limit in km/h as the program takes it: never rounded above the true
// limit (70 mph is 112.65 km/h: 112, so that 112.9 km/h is over it), and
// none (counted in refused) when it is more than the program takes.
int keptLimit(double kmh, int& refused);

// own_list.cpp: poiguard's own list, or Garmin POI Loader CSV.
bool readLonLat(const std::string& line, Point& p);
Read lonlat(const std::string& text, const std::string& path);
// camera_db.cpp: a camera database.
int cameraColumns(std::string header);
Read cameras(const std::string& text, const std::string& path, bool facing);
// What a text list is: "lonlat", "cameras" or "header" (a first line naming
// the columns, for gpsbabel's unicsv).
const char* textKind(const std::string& text);

// OpenStreetMap data as the readers hand it to osm.cpp: one element at a time.
struct OsmElement {
    enum Kind { kNode = 1, kWay = 2, kRelation = 4 } kind = kNode;
    long long id = 0;
    bool located = false;  // a node's place is known
    double lon = 0, lat = 0;
    Tags tags;
    std::vector<long long> nodes;  // a way's
    struct Member {
        char type;  // 'n', 'w' or 'r'
        long long ref;
        std::string role;
    };
    std::vector<Member> members;  // a relation's
    const char* tag(const char* key) const;
};
using OsmVisit = std::function<void(const OsmElement&)>;
// Hands every element of the kinds asked for (OsmElement::Kind bits) to the
// visitor, in the data's order; called once for each pass osm.cpp needs.
using OsmData = std::function<void(unsigned kinds, const OsmVisit&)>;

// osm.cpp: the cameras (nodes with one of the tags), their limits and
// directions, and the average-speed sections.
Read osm(const OsmData& data, bool traffic, Tags tags);
// osm_xml.cpp: OSM XML, as Overpass answers and .osm files hold it. A
// remark of the service (a query that ran out of time) in remark; throws
// ReadError for text that is not OSM XML or ends before its end.
void readOsmXml(const std::string& path, unsigned kinds, const OsmVisit& visit, std::string* remark = nullptr);
// osm_file_*.cpp: an OpenStreetMap file of any format this build reads.
OsmData osmFile(const std::string& path);

// merge.cpp: the POIs in order, each within METRES of an earlier one kept
// that checks the same way at the same limit dropped.
std::vector<Point> merge(const std::vector<Point>& all, double within);

// names.cpp: a name as one word (blanks '_', no commas or quotes, none
// at its ends); a name cut to 31 bytes without splitting a UTF-8
// character.
std::string oneWord(const std::string& name);
std::string fitName(const std::string& name);
// The list's lines, names cut to fit and kept distinct; counts the POIs
// written with a limit and with a direction.
std::string listText(const std::vector<Point>& points, int& limits, int& directions);

// gpsbabel.cpp: the waypoints of a file in gpsbabel's format FMT.
Read throughGpsbabel(const std::string& path, const std::string& format, bool routePoints, const std::string& work);

// download.cpp: osm:AREA from the Overpass API into the file ANSWER; on
// failure a ReadError saying why.
struct Download {
    std::string url, userAgent;
    bool progress = false;
};
std::string overpassQuery(const std::string& area, const Tags& tags);  // throws ReadError for an area it cannot ask for
// A box (osm:S,W,N,E) that holds the place LON, LAT (the first POI of the
// list it would replace) only when read longitude first: why it is refused,
// with the box meant; empty otherwise.
std::string lonFirstBox(const std::string& area, double lon, double lat);
void download(const Download& how, const std::string& query, const std::string& answer);

// weekly.cpp: the Task Scheduler's definition of the weekly download: the
// program with its arguments in the folder given, as the user given, weekly
// from the next Monday, as soon as possible after a missed start, only with
// a network.
std::string weeklyTaskXml(const std::string& program, const std::string& arguments, const std::string& folder,
                          const std::string& user);
