// OpenStreetMap files through libosmium, on the systems that have it: .osm,
// .osm.pbf, .osm.bz2 and .osm.gz, each pass a read of the file.
#include <osmium/handler.hpp>
#include <osmium/io/any_input.hpp>
#include <osmium/visitor.hpp>

#include <exception>

#include "import.h"

namespace {

struct Handing : osmium::handler::Handler {
    const OsmVisit& visit;
    OsmElement e;
    explicit Handing(const OsmVisit& v) : visit(v) {}

    void start(const osmium::OSMObject& o, OsmElement::Kind kind)
    {
        e.kind = kind;
        e.id = o.id();
        e.located = false;
        e.tags.clear();
        e.nodes.clear();
        e.members.clear();
        for (const auto& t : o.tags()) e.tags.push_back({t.key(), t.value()});
    }
    void node(const osmium::Node& n)
    {
        start(n, OsmElement::kNode);
        e.located = n.location().valid();
        if (e.located) {
            e.lon = n.location().lon();
            e.lat = n.location().lat();
        }
        visit(e);
    }
    void way(const osmium::Way& w)
    {
        start(w, OsmElement::kWay);
        for (const auto& ref : w.nodes()) e.nodes.push_back(ref.ref());
        visit(e);
    }
    void relation(const osmium::Relation& r)
    {
        start(r, OsmElement::kRelation);
        for (const auto& m : r.members())
            e.members.push_back({m.type() == osmium::item_type::node ? 'n' : m.type() == osmium::item_type::way ? 'w' : 'r',
                                 m.ref(), m.role()});
        visit(e);
    }
};

}  // namespace

OsmData osmFile(const std::string& path)
{
    return [path](unsigned kinds, const OsmVisit& visit) {
        osmium::osm_entity_bits::type bits = osmium::osm_entity_bits::nothing;
        if (kinds & OsmElement::kNode) bits |= osmium::osm_entity_bits::node;
        if (kinds & OsmElement::kWay) bits |= osmium::osm_entity_bits::way;
        if (kinds & OsmElement::kRelation) bits |= osmium::osm_entity_bits::relation;
        try {
            osmium::io::Reader reader{path, bits};
            Handing handing(visit);
            osmium::apply(reader, handing);
            reader.close();
        } catch (const ReadError&) {
            throw;
        } catch (const std::exception& e) {
            throw ReadError(path + ": " + e.what());
        }
    };
}
