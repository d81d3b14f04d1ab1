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
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
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

}  // namespace

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

