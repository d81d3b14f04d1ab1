// OpenStreetMap files where libosmium does not build (Windows): OSM XML
// (.osm) through the download's own reader; the packed formats are refused
// with what to do instead.
#include "import.h"

OsmData osmFile(const std::string& path)
{
    std::string lower;
    for (char c : path) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    if (lower.size() < 4 || lower.compare(lower.size() - 4, 4, ".osm") != 0)
        throw ReadError(path + ": this build reads OpenStreetMap XML (.osm) only; convert the file with osmium cat FILE -o FILE.osm, or download the area with osm:AREA");
    return [path](unsigned kinds, const OsmVisit& visit) { readOsmXml(path, kinds, visit); };
}
