// OpenStreetMap, through libosmium: highway=speed_camera nodes (or the tags
// given) with maxspeed and direction; type=enforcement relations with
// enforcement=maxspeed, each device's direction from the "from" member
// towards it. A direction in degrees or N, NE, SSW, ... is the way the camera
// faces (the tag's documentation), so it checks the opposite heading, unless
// --traffic; forward and backward follow the way the node sits on.
#include <osmium/handler.hpp>
#include <osmium/io/any_input.hpp>
#include <osmium/visitor.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "poi/distance.h"
#include "reader.h"

namespace {

constexpr double kKmhPerMph = 1.609344;

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

struct Section {
    osmium::object_id_type from = 0, to = 0;
    std::vector<osmium::object_id_type> ways;
    int limit = 0;
    std::string name;
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
        if (!type || strcmp(type, "enforcement") != 0 || !what) return;
        if (strcmp(what, "average_speed") == 0) return sectionOf(r);
        if (strcmp(what, "maxspeed") != 0) return;
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

    // An average-speed section: from its "from" node to its "to" node, along
    // its "section" ways when it has them.
    void sectionOf(const osmium::Relation& r)
    {
        Section s;
        for (const auto& m : r.members()) {
            if (m.type() == osmium::item_type::node && strcmp(m.role(), "from") == 0 && !s.from) s.from = m.ref();
            if (m.type() == osmium::item_type::node && strcmp(m.role(), "to") == 0 && !s.to) s.to = m.ref();
            if (m.type() == osmium::item_type::way && strcmp(m.role(), "section") == 0) s.ways.push_back(m.ref());
        }
        s.limit = readMaxspeed(r.tags()["maxspeed"]);
        s.name = r.tags().get_value_by_key("name", "");
        if (!s.from || !s.to) return;
        wanted.insert(s.from);
        wanted.insert(s.to);
        wantedWays.insert(s.ways.begin(), s.ways.end());
        sections.push_back(s);
    }

    std::map<osmium::object_id_type, Camera> cameras;
    std::vector<Section> sections;
    std::set<osmium::object_id_type> wanted;      // nodes whose places the last pass reads
    std::set<osmium::object_id_type> wantedWays;  // sections' ways, whose nodes the second pass names

private:
    std::vector<std::pair<std::string, std::string>> tags_;
};

// Second pass, when sections have ways: the nodes of those ways.
struct WayNodes : osmium::handler::Handler {
    Cameras& found;
    std::map<osmium::object_id_type, std::vector<osmium::object_id_type>> nodes;
    explicit WayNodes(Cameras& f) : found(f) {}
    void way(const osmium::Way& w)
    {
        if (!found.wantedWays.count(w.id())) return;
        for (const auto& ref : w.nodes()) {
            nodes[w.id()].push_back(ref.ref());
            found.wanted.insert(ref.ref());
        }
    }
};

// Last pass: the places of the nodes the others named.
struct Places : osmium::handler::Handler {
    const std::set<osmium::object_id_type>& wanted;
    std::map<osmium::object_id_type, osmium::Location> at;
    explicit Places(const std::set<osmium::object_id_type>& w) : wanted(w) {}
    void node(const osmium::Node& n)
    {
        if (wanted.count(n.id())) at[n.id()] = n.location();
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

// A name as poiguard reads it: one word of at most 31 bytes, no UTF-8
// character cut.
std::string oneWord(std::string name)
{
    std::string word;
    for (char c : name)
        if (c != ',' && c != '"') word += c == ' ' || c == '\t' ? '_' : c;
    if (word.size() > 31) {
        size_t cut = 31;
        while (cut > 0 && (static_cast<unsigned char>(word[cut]) & 0xC0) == 0x80) --cut;
        word.erase(cut);
    }
    return word;
}

}  // namespace

int osm(const char* path, bool traffic, std::vector<std::pair<std::string, std::string>> tags, const char* sectionsPath)
{
    if (tags.empty()) tags.push_back({"highway", "speed_camera"});
    Cameras found(tags);
    osmium::io::Reader first{path};
    osmium::apply(first, found);
    first.close();
    WayNodes wayNodes(found);
    if (!found.wantedWays.empty()) {
        osmium::io::Reader second{path, osmium::osm_entity_bits::way};
        osmium::apply(second, wayNodes);
        second.close();
    }
    osmium::io::Reader last{path, osmium::osm_entity_bits::node};
    Places places(found.wanted);
    osmium::apply(last, places);
    last.close();
    auto place = [&](osmium::object_id_type id) {
        auto p = places.at.find(id);
        return p == places.at.end() ? osmium::Location{} : p->second;
    };
    if (sectionsPath) {
        FILE* out = fopen(sectionsPath, "w");
        if (!out) throw std::runtime_error(std::string("cannot write ") + sectionsPath);
        for (const Section& s : found.sections) {
            osmium::Location a = place(s.from), b = place(s.to);
            if (!a.valid() || !b.valid()) continue;
            if (!s.limit) {
                ++sectionsWithoutLimit;
                continue;
            }
            std::vector<std::vector<Place>> ways;
            for (osmium::object_id_type way : s.ways) {
                ways.emplace_back();
                for (osmium::object_id_type node : wayNodes.nodes[way])
                    if (place(node).valid()) ways.back().push_back({place(node).lon(), place(node).lat()});
            }
            double length = lengthAlong({a.lon(), a.lat()}, {b.lon(), b.lat()}, ways);
            std::string name = oneWord(s.name.empty() ? "section_" + std::to_string(s.limit) : s.name);
            fprintf(out, "%.6f, %.6f, %.6f, %.6f, %d, %.3f, %s\n", a.lon(), a.lat(), b.lon(), b.lat(), s.limit, length,
                    name.c_str());
        }
        fclose(out);
    }
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

