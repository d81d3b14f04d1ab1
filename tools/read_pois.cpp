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
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "poi/line.h"

namespace {

constexpr double kKmhPerMph = 1.609344;
constexpr double kDegrees = 180.0 / 3.14159265358979323846;

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
        if (!ok || !inRange(p) || c[3] < 0 || c[3] > 300 || c[4] < 0 || c[4] > 2 || c[5] < 0 || c[5] > 360)
            return fail(path, number, "X,Y,TYPE,SPEED,DIRTYPE,DIRECTION", line);
        p.limit = static_cast<int>(c[3]);
        if (c[4] > 0) p.heading = fmod(c[5] + (facing ? 180 : 0), 360);
        p.bothWays = c[4] == 2;
        p.name = cameraName(static_cast<int>(c[2]), p.limit);
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
    if (end == value || !(speed > 0 && speed <= 300)) return 0;
    if (strcmp(end, " mph") == 0) speed *= kKmhPerMph;
    else if (*end != '\0') return 0;
    return static_cast<int>(std::lround(speed));
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
    double w1 = from.lat() / kDegrees, w2 = to.lat() / kDegrees, dl = (to.lon() - from.lon()) / kDegrees;
    double y = sin(dl) * cos(w2), x = cos(w1) * sin(w2) - sin(w1) * cos(w2) * cos(dl);
    return fmod(atan2(y, x) * kDegrees + 360, 360);
}

struct Camera {
    osmium::Location at;
    std::string name, direction;
    int limit = 0;
    osmium::object_id_type before = 0, after = 0;  // neighbours on its way, for forward/backward
    osmium::object_id_type from = 0;               // an enforcement relation's "from" node
    bool fromRelation = false;
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

    void relation(const osmium::Relation& r)
    {
        const char* type = r.tags()["type"];
        const char* what = r.tags()["enforcement"];
        if (!type || strcmp(type, "enforcement") != 0 || !what || strcmp(what, "maxspeed") != 0) return;
        osmium::object_id_type device = 0, from = 0;
        for (const auto& m : r.members()) {
            if (m.type() != osmium::item_type::node) continue;
            if (strcmp(m.role(), "device") == 0 && !device) device = m.ref();
            if (strcmp(m.role(), "from") == 0 && !from) from = m.ref();
        }
        if (!device) return;
        Camera& c = cameras[device];
        c.fromRelation = true;
        c.from = from;
        if (int limit = readMaxspeed(r.tags()["maxspeed"])) c.limit = limit;
        wanted.insert(device);
        if (from) wanted.insert(from);
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
        if (c.fromRelation && !c.at.valid()) c.at = place(id);
        if (!c.at.valid()) continue;
        Point p;
        p.length = c.at.lon();
        p.wide = c.at.lat();
        p.limit = c.limit;
        p.name = c.limit > 0 ? "cam_" + std::to_string(c.limit) : c.name;
        if (c.fromRelation && place(c.from).valid()) {
            p.heading = bearing(place(c.from), c.at);  // travelling from "from" towards the device
        } else if (c.direction == "forward" || c.direction == "backward") {
            osmium::Location a = place(c.before).valid() ? place(c.before) : c.at;
            osmium::Location b = place(c.after).valid() ? place(c.after) : c.at;
            if (!(a == b)) p.heading = fmod(bearing(a, b) + (c.direction == "backward" ? 180 : 0), 360);
        } else if (double d = readDirection(c.direction.c_str()); d >= 0) {
            p.heading = fmod(d + (traffic ? 0 : 180), 360);
        }
        write(p);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
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
        fputs("usage: read-pois kind|lonlat|cameras [--facing]|osm [--traffic] [--tag K=V]... FILE\n", stderr);
        return 2;
    }
    const char* path = argv[i];
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
