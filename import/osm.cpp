// OpenStreetMap, one interpretation for files and downloads: nodes with
// highway=speed_camera (or the tags given), their maxspeed and direction;
// type=enforcement relations with enforcement=maxspeed, each device's
// direction from the "from" member towards it; enforcement=average_speed
// relations as sections. A direction in degrees or N, NE, SSW, ... is the
// way the camera faces (the tag's documentation), so it checks the opposite
// heading, unless traffic; forward and backward follow the way the node
// sits on. The data is read in passes, so that only the nodes it needs are
// kept, whatever the size of the file.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "import.h"
#include "geo/geo.h"

const char* OsmElement::tag(const char* key) const
{
    for (const auto& t : tags)
        if (t.first == key) return t.second.c_str();
    return nullptr;
}

namespace {

using Id = long long;
constexpr double kKmhPerMph = 1.609344;

// maxspeed: "50", "50 mph"; anything else (none, signals, variable,
// DE:urban) is no limit the program can compare with.
int readMaxspeed(const char* value, int& refused)
{
    if (!value) return 0;
    char* end = nullptr;
    double speed = strtod(value, &end);
    if (end == value || !(speed > 0 && speed < 1000)) return 0;
    if (strcmp(end, " mph") == 0) speed *= kKmhPerMph;
    else if (*end != '\0') return 0;
    return keptLimit(speed, refused);
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

struct Location {
    bool valid = false;
    double lon = 0, lat = 0;
};

double bearing(const Location& from, const Location& to) { return bearingTo({from.lon, from.lat}, {to.lon, to.lat}); }

// The way one enforcement relation gives its device: traffic from its
// "from" node towards the device, at its limit.
struct Check {
    Id from = 0;
    int limit = 0;
};

struct Section {
    Id from = 0, to = 0;
    std::vector<Id> ways;
    int limit = 0;
    std::string name;
};

struct Camera {
    Location at;
    std::string name, direction;
    int limit = 0;
    Id before = 0, after = 0;   // neighbours on its way, for forward/backward
    std::vector<Check> checks;  // one for each enforcement relation naming it
};

// First pass: the cameras, their ways' neighbours, the enforcement relations.
struct Cameras {
    const Tags& tags;
    int& refused;
    std::map<Id, Camera> cameras;
    std::vector<Section> sections;
    std::set<Id> wanted;      // nodes whose places the last pass reads
    std::set<Id> wantedWays;  // sections' ways, whose nodes the second pass names

    void operator()(const OsmElement& e)
    {
        if (e.kind == OsmElement::kNode) node(e);
        else if (e.kind == OsmElement::kWay) way(e);
        else relation(e);
    }

    void node(const OsmElement& n)
    {
        for (const auto& t : tags) {
            const char* v = n.tag(t.first.c_str());
            if (!v || t.second != v) continue;
            Camera& c = cameras[n.id];
            c.at = {n.located, n.lon, n.lat};
            c.name = n.tag("name") ? n.tag("name") : "";
            c.direction = n.tag("direction") ? n.tag("direction") : "";
            c.limit = readMaxspeed(n.tag("maxspeed"), refused);
            return;
        }
    }

    void way(const OsmElement& w)
    {
        if (!w.tag("highway")) return;
        const auto& refs = w.nodes;
        for (size_t i = 0; i < refs.size(); ++i) {
            auto c = cameras.find(refs[i]);
            if (c == cameras.end() || c->second.before || c->second.after) continue;
            c->second.before = i > 0 ? refs[i - 1] : 0;
            c->second.after = i + 1 < refs.size() ? refs[i + 1] : 0;
            if (c->second.before) wanted.insert(c->second.before);
            if (c->second.after) wanted.insert(c->second.after);
        }
    }

    // Every device of the relation checks the way it gives; a device named
    // by two relations (one for each carriageway) checks both.
    void relation(const OsmElement& r)
    {
        const char* type = r.tag("type");
        const char* what = r.tag("enforcement");
        if (!type || strcmp(type, "enforcement") != 0 || !what) return;
        if (strcmp(what, "average_speed") == 0) return sectionOf(r);
        if (strcmp(what, "maxspeed") != 0) return;
        Check check;
        std::vector<Id> devices;
        for (const auto& m : r.members) {
            if (m.type != 'n') continue;
            if (m.role == "device") devices.push_back(m.ref);
            if (m.role == "from" && !check.from) check.from = m.ref;
        }
        check.limit = readMaxspeed(r.tag("maxspeed"), refused);
        if (check.from) wanted.insert(check.from);
        for (Id device : devices) {
            cameras[device].checks.push_back(check);
            wanted.insert(device);
        }
    }

    // An average-speed section: from its "from" node to its "to" node, along
    // its "section" ways when it has them.
    void sectionOf(const OsmElement& r)
    {
        Section s;
        for (const auto& m : r.members) {
            if (m.type == 'n' && m.role == "from" && !s.from) s.from = m.ref;
            if (m.type == 'n' && m.role == "to" && !s.to) s.to = m.ref;
            if (m.type == 'w' && m.role == "section") s.ways.push_back(m.ref);
        }
        s.limit = readMaxspeed(r.tag("maxspeed"), refused);
        s.name = r.tag("name") ? r.tag("name") : "";
        if (!s.from || !s.to) return;
        wanted.insert(s.from);
        wanted.insert(s.to);
        wantedWays.insert(s.ways.begin(), s.ways.end());
        sections.push_back(s);
    }
};

// The length of a section along its ways: the shortest way through their
// nodes from the one nearest to its start to the one nearest to its end;
// the straight distance when the ways do not join them.
double lengthAlong(Place start, Place end, const std::vector<std::vector<Place>>& ways)
{
    auto km = [](Place a, Place b) { return greatCircleDistance(a.length, b.length, a.wide, b.wide); };
    std::vector<Place> at;
    std::map<std::pair<double, double>, size_t> index;
    std::vector<std::vector<std::pair<size_t, double>>> next;
    auto vertex = [&](Place p) {
        auto [it, fresh] = index.insert({{p.length, p.wide}, at.size()});
        if (fresh) {
            at.push_back(p);
            next.emplace_back();
        }
        return it->second;
    };
    for (const auto& way : ways)
        for (size_t i = 1; i < way.size(); ++i) {
            size_t a = vertex(way[i - 1]), b = vertex(way[i]);
            next[a].push_back({b, km(way[i - 1], way[i])});
            next[b].push_back({a, km(way[i - 1], way[i])});
        }
    if (at.empty()) return km(start, end);
    size_t from = 0, to = 0;
    for (size_t i = 0; i < at.size(); ++i) {
        if (km(at[i], start) < km(at[from], start)) from = i;
        if (km(at[i], end) < km(at[to], end)) to = i;
    }
    std::vector<double> best(at.size(), 1e18);
    std::set<std::pair<double, size_t>> open{{0.0, from}};
    best[from] = 0;
    while (!open.empty()) {
        auto [d, v] = *open.begin();
        open.erase(open.begin());
        for (auto [w, step] : next[v])
            if (d + step < best[w]) {
                open.erase({best[w], w});
                best[w] = d + step;
                open.insert({best[w], w});
            }
    }
    if (best[to] >= 1e18) return km(start, end);
    return km(start, at[from]) + best[to] + km(at[to], end);
}

}  // namespace

Read osm(const OsmData& data, bool traffic, Tags tags)
{
    if (tags.empty()) tags.push_back({"highway", "speed_camera"});
    // A nameless camera without a limit is named by its kind, "cam"; a POI of other tags stays poi_N.
    bool speedCameras = tags.size() == 1 && tags[0].first == "highway" && tags[0].second == "speed_camera";
    Read read;
    Cameras found{tags, read.refusedLimits, {}, {}, {}, {}};
    data(OsmElement::kNode | OsmElement::kWay | OsmElement::kRelation, std::ref(found));
    // Second pass, when sections have ways: the nodes of those ways.
    std::map<Id, std::vector<Id>> wayNodes;
    if (!found.wantedWays.empty())
        data(OsmElement::kWay, [&](const OsmElement& w) {
            if (!found.wantedWays.count(w.id)) return;
            for (Id ref : w.nodes) {
                wayNodes[w.id].push_back(ref);
                found.wanted.insert(ref);
            }
        });
    // Last pass: the places of the nodes the others named.
    std::map<Id, Location> places;
    data(OsmElement::kNode, [&](const OsmElement& n) {
        if (found.wanted.count(n.id)) places[n.id] = {n.located, n.lon, n.lat};
    });
    auto place = [&](Id id) {
        auto p = places.find(id);
        return p == places.end() ? Location{} : p->second;
    };
    for (const Section& s : found.sections) {
        Location a = place(s.from), b = place(s.to);
        if (!a.valid || !b.valid) continue;
        if (!s.limit) {
            ++read.sectionsWithoutLimit;
            continue;
        }
        std::vector<std::vector<Place>> ways;
        for (Id way : s.ways) {
            ways.emplace_back();
            for (Id node : wayNodes[way])
                if (place(node).valid) ways.back().push_back({place(node).lon, place(node).lat});
        }
        double length = lengthAlong({a.lon, a.lat}, {b.lon, b.lat}, ways);
        std::string name = fitName(oneWord(s.name.empty() ? "section_" + std::to_string(s.limit) : s.name));
        char line[400];
        snprintf(line, sizeof line, "%.6f, %.6f, %.6f, %.6f, %d, %.3f, %s", a.lon, a.lat, b.lon, b.lat, s.limit, length,
                 name.c_str());
        read.sections.push_back(line);
    }
    for (auto& [id, c] : found.cameras) {
        if (!c.at.valid) c.at = place(id);  // a device that is no camera node of its own
        if (!c.at.valid) continue;
        Point p;
        p.length = c.at.lon;
        p.wide = c.at.lat;
        p.limit = c.limit;
        if (c.direction == "forward" || c.direction == "backward") {
            Location a = place(c.before).valid ? place(c.before) : c.at;
            Location b = place(c.after).valid ? place(c.after) : c.at;
            if (a.lon != b.lon || a.lat != b.lat) p.heading = fmod(bearing(a, b) + (c.direction == "backward" ? 180 : 0), 360);
        } else if (double d = readDirection(c.direction.c_str()); d >= 0) {
            p.heading = fmod(d + (traffic ? 0 : 180), 360);
        }
        // The relations' ways, each travelling from its "from" node towards the device.
        std::vector<Point> ways;
        for (const Check& check : c.checks) {
            Point w = p;
            if (check.limit) w.limit = check.limit;
            if (place(check.from).valid) w.heading = bearing(place(check.from), c.at);
            ways.push_back(w);
        }
        if (ways.empty()) ways.push_back(p);
        for (Point& w : ways)
            w.name = w.limit > 0 ? "cam_" + std::to_string(w.limit) : !c.name.empty() || !speedCameras ? c.name : "cam";
        addWays(ways, read.points);
    }
    return read;
}
