// read-pois: the POI lists gpsbabel does not read, for import-pois. Writes
// one POI a line on standard output, tab-separated: longitude, latitude,
// name, speed limit (km/h; empty for none), and the heading of the traffic
// it checks as poiguard's list writes it (D, or D/E both ways; empty for
// every direction).
//
//   read-pois kind FILE     what a text file is: lonlat (headerless,
//                           longitude first), cameras (a camera database)
//                           or header (a first line naming the columns,
//                           for gpsbabel's unicsv)
//   read-pois lonlat FILE   poiguard's own list, or Garmin POI Loader CSV:
//
//     % poiguard's own: longitude, latitude, name[, limit[, direction]]
//     8.80000, 53.07400, Blitzer_Nord, 50, 0
//     8.80000,53.07400,"Blitzer Nord","Tempo 50, Richtung Stadt"
//
//   read-pois cameras [--facing] FILE    a camera database:
//
//     IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION   // the IDX column is optional
//     0,8.80000,53.07400,1,50,1,0
//
//     TYPE 1 fixed, 2 red light and speed, 3 red light, 4 section, 5 mobile;
//     SPEED 0 for none; DIRTYPE 0 all directions, 1 one, 2 both ways.
//     DIRECTION is read as the heading of the traffic checked, as the
//     navigation software that reads this format compares it with the
//     car's heading; --facing reads it as the way the camera looks, at
//     oncoming traffic.
//
//   read-pois osm [--traffic] [--tag KEY=VALUE]... FILE   OpenStreetMap:
//     highway=speed_camera nodes (or the tags given) with maxspeed and
//     direction; type=enforcement relations with enforcement=maxspeed, their
//     direction from the "from" member towards the "device". A direction in
//     degrees or N, NE, SSW, ... is the way the camera faces (the tag's
//     documentation), so it checks the opposite heading, unless --traffic;
//     forward and backward follow the way the node sits on.
//
// A line or file that does not fit stops it with a message on standard
// error and exit status 1. Numbers are read the same under any locale.
#include <osmium/handler.hpp>
#include <osmium/io/any_input.hpp>
#include <osmium/visitor.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <array>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "poi/distance.h"
#include "poi/line.h"

namespace {

constexpr double kKmhPerMph = 1.609344;

struct Point {
    double length = 0;
    double wide = 0;
    std::string name;
    int limit = 0;        // km/h, 0 for none
    double heading = -1;  // of the traffic checked, degrees true; -1 for every direction
    bool bothWays = false;
};

bool inRange(const Point& p) { return std::fabs(p.length) <= 180 && std::fabs(p.wide) <= 90; }

void write(Point p)
{
    for (char& c : p.name)
        if (c == '\t') c = ' ';
    std::string limit = p.limit > 0 ? std::to_string(p.limit) : "", direction;
    if (p.heading >= 0) {
        int d = static_cast<int>(std::lround(p.heading)) % 360;
        direction = std::to_string(d) + (p.bothWays ? "/" + std::to_string((d + 180) % 360) : "");
    }
    printf("%.8f\t%.8f\t%s\t%s\t%s\n", p.length, p.wide, p.name.c_str(), limit.c_str(), direction.c_str());
}

// One camera's ways: the same way twice once, two opposite ways at one
// limit as one line that checks both.
void writeWays(const std::vector<Point>& ways)
{
    auto whole = [](const Point& p) { return p.heading < 0 ? -1 : static_cast<int>(std::lround(p.heading)) % 360; };
    std::vector<bool> done(ways.size());
    for (size_t i = 0; i < ways.size(); ++i) {
        if (done[i]) continue;
        Point p = ways[i];
        for (size_t k = i + 1; k < ways.size(); ++k) {
            if (done[k] || ways[k].limit != p.limit) continue;
            int h = whole(p), other = whole(ways[k]);
            if (other == h) {
                done[k] = true;
            } else if (h >= 0 && other == (h + 180) % 360) {
                p.bothWays = true;
                done[k] = true;
            }
        }
        write(p);
    }
}

// The whole text is a finite number, blanks around it allowed.
bool readNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    value = strtod(begin, &end);  // the C locale: this program never sets another
    while (end != begin && (*end == ' ' || *end == '\t')) ++end;
    return end != begin && *end == '\0' && std::isfinite(value);
}

// Comma-separated fields, double quotes around a field (with "" for a quote
// inside it) keeping its commas; blanks around fields dropped.
std::vector<std::string> csvFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') fields.back() += line[++i];
            else if (c == '"') quoted = false;
            else fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (!((c == ' ' || c == '\t') && fields.back().empty())) {
            fields.back() += c;
        }
    }
    for (std::string& f : fields)
        while (!f.empty() && (f.back() == ' ' || f.back() == '\t')) f.pop_back();
    return fields;
}

// A line as poiguard itself reads it, else as Garmin POI Loader CSV.
bool readLonLat(const std::string& line, Point& p)
{
    std::vector<char> copy(line.begin(), line.end());
    copy.push_back('\0');
    Poi poi;
    if (readPoiLine(copy.data(), poi)) {
        p = {poi.length, poi.wide, poi.name, poi.limitKmh,
             poi.heading == kAllHeadings ? -1.0 : poi.heading % 360, poi.bothWays != 0};
        return inRange(p);
    }
    std::vector<std::string> f = csvFields(line);
    p = Point{};
    if (f.size() < 3 || f.size() > 4 || !readNumber(f[0], p.length) || !readNumber(f[1], p.wide)) return false;
    p.name = f[2];
    return inRange(p);
}

// Lines without their line end; a byte-order mark before the first is dropped.
bool nextLine(std::istream& in, std::string& line, int& number)
{
    if (!std::getline(in, line)) return false;
    if (++number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool isComment(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos || line[0] == '%' || line[0] == '#' ||
           line.compare(0, 2, "//") == 0;
}

// The camera database's header, with or without its row numbers, a
// "// comment" after it allowed; the column names in any case.
int cameraColumns(std::string header)
{
    header = header.substr(0, header.find("//"));
    std::string names;
    for (char c : header)
        if (c != ' ' && c != '\t') names += static_cast<char>(toupper(static_cast<unsigned char>(c)));
    if (names == "X,Y,TYPE,SPEED,DIRTYPE,DIRECTION") return 6;
    if (names == "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION") return 7;
    return 0;
}

int kind(std::istream& in)
{
    std::string line;
    int number = 0;
    Point p;
    while (nextLine(in, line, number)) {
        if (isComment(line)) continue;
        const char* kind = cameraColumns(line) ? "cameras" : readLonLat(line, p) ? "lonlat" : "header";
        return puts(kind) < 0;
    }
    return puts("lonlat") < 0;  // nothing but comments: an empty list of our own
}

int fail(const char* path, int number, const char* expected, const std::string& line)
{
    fprintf(stderr, "%s:%d: not %s: %s\n", path, number, expected, line.c_str());
    return 1;
}

int lonlat(std::istream& in, const char* path)
{
    std::string line;
    int number = 0;
    Point p;
    while (nextLine(in, line, number)) {
        if (isComment(line)) continue;
        if (!readLonLat(line, p)) return fail(path, number, "longitude, latitude, name", line);
        write(p);
    }
    return 0;
}

// Limits the program would refuse (over kMaxLimitKmh), left out of the
// list and counted for the import's summary.
int refusedLimits = 0;
constexpr int kMaxLimitKmh = 300;

// A limit in km/h as the program takes it: never rounded above the true
// limit (70 mph is 112.65 km/h: 112, so that 112.9 km/h is over it), and
// none when it is more than the program takes.
int keptLimit(double kmh)
{
    int whole = static_cast<int>(std::floor(kmh + 1e-9));
    if (whole <= kMaxLimitKmh) return whole;
    ++refusedLimits;
    return 0;
}

// Each camera named by its kind and limit: fixed_50, redlight, section_100.
std::string cameraName(int type, int limit)
{
    static const char* const kKinds[] = {"", "fixed", "redlight_speed", "redlight", "section", "mobile"};
    std::string name = type >= 1 && type <= 5 ? kKinds[type] : "camera_type" + std::to_string(type);
    return limit > 0 ? name + "_" + std::to_string(limit) : name;
}

int cameras(std::istream& in, const char* path, bool facing)
{
    std::string line;
    int number = 0, columns = 0;
    while (nextLine(in, line, number)) {
        if (isComment(line)) continue;
        if (columns == 0) {
            columns = cameraColumns(line);
            if (columns == 0) return fail(path, number, "a camera database header (X,Y,TYPE,SPEED,DIRTYPE,DIRECTION)", line);
            continue;
        }
        std::vector<std::string> f = csvFields(line.substr(0, line.find("//")));
        double v[7];
        bool ok = static_cast<int>(f.size()) == columns;
        for (int i = 0; ok && i < columns; ++i) ok = readNumber(f[static_cast<size_t>(i)], v[i]);
        const double* c = v + (columns - 6);  // X, Y, TYPE, SPEED, DIRTYPE, DIRECTION
        Point p;
        p.length = c[0];
        p.wide = c[1];
        if (!ok || !inRange(p) || c[3] < 0 || c[4] < 0 || c[4] > 2 || c[5] < 0 || c[5] > 360)
            return fail(path, number, "X,Y,TYPE,SPEED,DIRTYPE,DIRECTION", line);
        p.limit = keptLimit(c[3]);
        if (c[4] > 0) p.heading = fmod(c[5] + (facing ? 180 : 0), 360);
        p.bothWays = c[4] == 2;
        p.name = cameraName(static_cast<int>(c[2]), static_cast<int>(c[3]));
        write(p);
    }
    if (columns == 0) return fail(path, number, "a camera database", "(no header)");
    return 0;
}

// maxspeed: "50", "50 mph"; anything else (none, signals, variable,
// DE:urban) is no limit the program can compare with.
int readMaxspeed(const char* value)
{
    if (!value) return 0;
    char* end = nullptr;
    double speed = strtod(value, &end);
    if (end == value || !(speed > 0 && speed < 1000)) return 0;
    if (strcmp(end, " mph") == 0) speed *= kKmhPerMph;
    else if (*end != '\0') return 0;
    return keptLimit(speed);
}

// direction in degrees (decimals allowed) or N, NNE, ... NNW; -1 otherwise.
double readDirection(const char* value)
{
    static const char* const kPoints[] = {"N", "NNE", "NE", "ENE", "E", "ESE", "SE", "SSE",
                                          "S", "SSW", "SW", "WSW", "W", "WNW", "NW", "NNW"};
    if (!value) return -1;
    for (int i = 0; i < 16; ++i)
        if (strcmp(value, kPoints[i]) == 0) return i * 22.5;
    double degrees;
    return readNumber(value, degrees) && degrees >= 0 && degrees <= 360 ? fmod(degrees, 360) : -1;
}

double bearing(const osmium::Location& from, const osmium::Location& to)
{
    return bearingTo({from.lon(), from.lat()}, {to.lon(), to.lat()});
}

// The way one enforcement relation gives its device: traffic from its
// "from" node towards the device, at its limit.
struct Check {
    osmium::object_id_type from = 0;
    int limit = 0;
};

struct Camera {
    osmium::Location at;
    std::string name, direction;
    int limit = 0;
    osmium::object_id_type before = 0, after = 0;  // neighbours on its way, for forward/backward
    std::vector<Check> checks;                     // one for each enforcement relation naming it
};

// First pass: the cameras, their ways' neighbours, the enforcement relations.
class Cameras : public osmium::handler::Handler {
public:
    explicit Cameras(std::vector<std::pair<std::string, std::string>> tags) : tags_(std::move(tags)) {}

    void node(const osmium::Node& n)
    {
        for (const auto& t : tags_) {
            const char* v = n.tags()[t.first.c_str()];
            if (!v || t.second != v) continue;
            Camera& c = cameras[n.id()];
            c.at = n.location();
            c.name = n.tags().get_value_by_key("name", "");
            c.direction = n.tags().get_value_by_key("direction", "");
            c.limit = readMaxspeed(n.tags()["maxspeed"]);
            return;
        }
    }

    void way(const osmium::Way& w)
    {
        if (!w.tags()["highway"]) return;
        const auto& refs = w.nodes();
        for (size_t i = 0; i < refs.size(); ++i) {
            auto c = cameras.find(refs[i].ref());
            if (c == cameras.end() || c->second.before || c->second.after) continue;
            c->second.before = i > 0 ? refs[i - 1].ref() : 0;
            c->second.after = i + 1 < refs.size() ? refs[i + 1].ref() : 0;
            if (c->second.before) wanted.insert(c->second.before);
            if (c->second.after) wanted.insert(c->second.after);
        }
    }

    // Every device of the relation checks the way it gives; a device named
    // by two relations (one for each carriageway) checks both.
    void relation(const osmium::Relation& r)
    {
        const char* type = r.tags()["type"];
        const char* what = r.tags()["enforcement"];
        if (!type || strcmp(type, "enforcement") != 0 || !what || strcmp(what, "maxspeed") != 0) return;
        Check check;
        std::vector<osmium::object_id_type> devices;
        for (const auto& m : r.members()) {
            if (m.type() != osmium::item_type::node) continue;
            if (strcmp(m.role(), "device") == 0) devices.push_back(m.ref());
            if (strcmp(m.role(), "from") == 0 && !check.from) check.from = m.ref();
        }
        check.limit = readMaxspeed(r.tags()["maxspeed"]);
        if (check.from) wanted.insert(check.from);
        for (osmium::object_id_type device : devices) {
            cameras[device].checks.push_back(check);
            wanted.insert(device);
        }
    }

    std::map<osmium::object_id_type, Camera> cameras;
    std::set<osmium::object_id_type> wanted;  // nodes whose places the second pass reads

private:
    std::vector<std::pair<std::string, std::string>> tags_;
};

// Second pass: the places of the nodes the first one named.
struct Places : osmium::handler::Handler {
    const std::set<osmium::object_id_type>& wanted;
    std::map<osmium::object_id_type, osmium::Location> at;
    explicit Places(const std::set<osmium::object_id_type>& w) : wanted(w) {}
    void node(const osmium::Node& n)
    {
        if (wanted.count(n.id())) at[n.id()] = n.location();
    }
};

int osm(const char* path, bool traffic, std::vector<std::pair<std::string, std::string>> tags)
{
    if (tags.empty()) tags.push_back({"highway", "speed_camera"});
    Cameras found(tags);
    osmium::io::Reader first{path};
    osmium::apply(first, found);
    first.close();
    osmium::io::Reader second{path, osmium::osm_entity_bits::node};
    Places places(found.wanted);
    osmium::apply(second, places);
    second.close();
    auto place = [&](osmium::object_id_type id) {
        auto p = places.at.find(id);
        return p == places.at.end() ? osmium::Location{} : p->second;
    };
    for (auto& [id, c] : found.cameras) {
        if (!c.at.valid()) c.at = place(id);  // a device that is no camera node of its own
        if (!c.at.valid()) continue;
        Point p;
        p.length = c.at.lon();
        p.wide = c.at.lat();
        p.limit = c.limit;
        if (c.direction == "forward" || c.direction == "backward") {
            osmium::Location a = place(c.before).valid() ? place(c.before) : c.at;
            osmium::Location b = place(c.after).valid() ? place(c.after) : c.at;
            if (!(a == b)) p.heading = fmod(bearing(a, b) + (c.direction == "backward" ? 180 : 0), 360);
        } else if (double d = readDirection(c.direction.c_str()); d >= 0) {
            p.heading = fmod(d + (traffic ? 0 : 180), 360);
        }
        // The relations' ways, each travelling from its "from" node towards the device.
        std::vector<Point> ways;
        for (const Check& check : c.checks) {
            Point w = p;
            if (check.limit) w.limit = check.limit;
            if (place(check.from).valid()) w.heading = bearing(place(check.from), c.at);
            ways.push_back(w);
        }
        if (ways.empty()) ways.push_back(p);
        for (Point& w : ways) w.name = w.limit > 0 ? "cam_" + std::to_string(w.limit) : c.name;
        writeWays(ways);
    }
    return 0;
}

// merge METRES FILE...: the inputs' lists as import-pois names them
// (longitude, latitude, name, "limit direction", tab-separated), one after
// the other; a POI within METRES of an earlier one kept that checks the same
// way at the same limit is a duplicate and dropped. Cameras at one place
// that check different ways (two on one pole, one for each carriageway) or
// carry different limits are all kept.
struct Kept {
    double length, wide;
    std::string limitAndWay;
};

// "90/270" and "270/90" are one way; a lone heading and "-" stand as written.
std::string sameWayKey(const std::string& limitAndWay)
{
    size_t blank = limitAndWay.find(' '), slash = limitAndWay.find('/');
    if (blank == std::string::npos || slash == std::string::npos) return limitAndWay;
    int a = atoi(limitAndWay.c_str() + blank + 1), b = atoi(limitAndWay.c_str() + slash + 1);
    return limitAndWay.substr(0, blank) + " " + std::to_string(std::min(a, b)) + "/" + std::to_string(std::max(a, b));
}

int merge(double within, char** files, int count)
{
    // Kept POIs by cell of a grid over the earth's surface (3D, cells of
    // METRES): a duplicate lies in one of the 27 cells around a POI.
    constexpr double kEarthMetres = 6371000.0;
    double cell = std::max(within, 1.0);
    std::map<std::array<long, 3>, std::vector<Kept>> grid;
    for (int f = 0; f < count; ++f) {
        std::ifstream in(files[f], std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> t(1);
            for (char c : line)
                if (c == '\t') t.emplace_back();
                else t.back().push_back(c);
            if (t.size() != 4) continue;
            Kept k{atof(t[0].c_str()), atof(t[1].c_str()), sameWayKey(t[3])};
            double x = kEarthMetres * cos(k.wide * kRadiansPerDegree) * cos(k.length * kRadiansPerDegree),
                   y = kEarthMetres * cos(k.wide * kRadiansPerDegree) * sin(k.length * kRadiansPerDegree),
                   z = kEarthMetres * sin(k.wide * kRadiansPerDegree);
            std::array<long, 3> at{std::lround(floor(x / cell)), std::lround(floor(y / cell)), std::lround(floor(z / cell))};
            bool duplicate = false;
            for (long dx = -1; dx <= 1 && !duplicate; ++dx)
                for (long dy = -1; dy <= 1 && !duplicate; ++dy)
                    for (long dz = -1; dz <= 1 && !duplicate; ++dz) {
                        auto near = grid.find({at[0] + dx, at[1] + dy, at[2] + dz});
                        if (near == grid.end()) continue;
                        for (const Kept& o : near->second)
                            if (o.limitAndWay == k.limitAndWay &&
                                greatCircleDistance(o.length, k.length, o.wide, k.wide) * 1000 <= within)
                                duplicate = true;
                    }
            if (duplicate) continue;
            grid[at].push_back(k);
            printf("%.6f\t%.6f\t%s\t%s\n", k.length, k.wide, t[2].c_str(), t[3].c_str());
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "merge" && argc > 3) return merge(atof(argv[2]), argv + 3, argc - 3);
    bool facing = false, traffic = false;
    std::vector<std::pair<std::string, std::string>> tags;
    int i = 2;
    for (; i < argc - 1; ++i) {
        std::string a = argv[i];
        if (a == "--facing") facing = true;
        else if (a == "--traffic") traffic = true;
        else if (a == "--tag" && i + 2 < argc && strchr(argv[i + 1], '=')) {
            std::string kv = argv[++i];
            tags.push_back({kv.substr(0, kv.find('=')), kv.substr(kv.find('=') + 1)});
        } else break;
    }
    if (i != argc - 1 || (mode != "kind" && mode != "lonlat" && mode != "cameras" && mode != "osm")) {
        fputs("usage: read-pois kind|lonlat|cameras [--facing]|osm [--traffic] [--tag K=V]... FILE\n"
              "       read-pois merge METRES FILE...\n", stderr);
        return 2;
    }
    const char* path = argv[i];
    // What was left out, for the import's summary.
    struct Summary {
        ~Summary()
        {
            if (refusedLimits) fprintf(stderr, "read-pois: %d limits over %d km/h left out\n", refusedLimits, kMaxLimitKmh);
        }
    } summary;
    if (mode == "osm") {
        try {
            return osm(path, traffic, tags);
        } catch (const std::exception& e) {
            fprintf(stderr, "read-pois: %s: %s\n", path, e.what());
            return 1;
        }
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fprintf(stderr, "read-pois: cannot read %s\n", path);
        return 1;
    }
    return mode == "kind" ? kind(in) : mode == "lonlat" ? lonlat(in, path) : cameras(in, path, facing);
}
