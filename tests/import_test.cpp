// The importer's rules that the import scripts do not reach: OSM XML as its
// own reader takes it, and the weekly task's definition.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "import/import.h"

namespace {

// The cameras of one OSM XML text, as the list would name them; the reader's
// complaint when it refuses the text.
std::string camerasOf(const std::string& xml)
{
    const char* path = "import_test.osm";
    std::ofstream(path, std::ios::binary) << xml;
    std::string names;
    try {
        Read read = osm([path](unsigned kinds, const OsmVisit& visit) { readOsmXml(path, kinds, visit); }, false, {});
        for (const Point& p : read.points) names += oneWord(p.name) + "@" + std::to_string(p.wide) + " ";
    } catch (const ReadError& e) {
        names = e.what();
    }
    remove(path);
    return names;
}

TEST(Import, OsmXmlAsItsReaderTakesIt)
{
    const std::string node = "<node id=\"1\" lat=\"50.5\" lon=\"8\"><tag k=\"highway\" v=\"speed_camera\"/>";
    struct Row {
        const char* legend;
        std::string xml, names;
    } rows[] = {
        {"entities and numeric references decoded", "<?xml version='1.0'?><!-- x --><osm>" + node +
             "<tag k='name' v='A &amp; B &#228;&#x20AC; &quot;x&quot;'/></node></osm>",
         "A_&_B_ä€_x@50.500000 "},
        {"a node closed in its own tag has no tags", "<osm><node id='2' lat='1' lon='2'/>" + node + "</node></osm>",
         "cam@50.500000 "},
        {"cut off", "<osm>" + node + "</node>", "the data ends in the middle (cut off)"},
        {"no OSM data", "<html><body>login</body></html>", "not OpenStreetMap data (its first element is <html>)"},
    };
    for (const Row& r : rows) EXPECT_EQ(camerasOf(r.xml), r.names) << r.legend;
}

// The readers' rules: a camera database's limits and ways (read as the
// traffic's heading, or as the way the camera looks), the limit kept, and
// the fields of a Garmin CSV line.
TEST(Import, TheReadersRules)
{
    const struct {
        const char* legend;
        std::string row;
        bool facing;
        std::string read;  // limit/heading/both ways
    } rows[] = {
        {"one way, the traffic's heading", "8.8,53.0,1,50,1,90", false, "50/90/0"},
        {"one way, the way it looks", "8.8,53.0,1,50,1,90", true, "50/270/0"},
        {"both ways", "8.8,53.0,2,80,2,90", false, "80/90/1"},
        {"every direction, no limit", "8.8,53.0,3,0,0,45", false, "0/-1/0"},
        {"a limit over 300 left out, the camera kept", "8.8,53.0,1,301,0,0", false, "0/-1/0"},
    };
    for (const auto& r : rows) {
        Read read = cameras("X,Y,TYPE,SPEED,DIRTYPE,DIRECTION\n" + r.row + "\n", "cams.txt", r.facing);
        ASSERT_EQ(read.points.size(), 1u) << r.legend;
        const Point& p = read.points[0];
        EXPECT_EQ(std::to_string(p.limit) + "/" + std::to_string(static_cast<int>(p.heading)) + "/" + std::to_string(p.bothWays),
                  r.read)
            << r.legend;
    }
    int refused = 0;
    EXPECT_EQ(keptLimit(112.65, refused), 112) << "70 mph, never rounded above";
    EXPECT_EQ(csvFields("8.8, 53.074,\"Blitzer Nord\",\"Tempo 50, \"\"Stadt\"\"\""),
              (std::vector<std::string>{"8.8", "53.074", "Blitzer Nord", "Tempo 50, \"Stadt\""}));
}

TEST(Import, WeeklyTaskDefinition)
{
    std::string xml = weeklyTaskXml("C:\\poiguard\\poiguard-import-pois.exe", "vodudo\\gefahr.csv osm:DE",
                                    "C:\\poi & co", "PC\\anna");
    for (const char* line : {"<StartWhenAvailable>true</StartWhenAvailable>",
                             "<RunOnlyIfNetworkAvailable>true</RunOnlyIfNetworkAvailable>",
                             "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
                             "<WeeksInterval>1</WeeksInterval>", "<UserId>PC\\anna</UserId>",
                             "<LogonType>InteractiveToken</LogonType>",
                             "<Command>C:\\poiguard\\poiguard-import-pois.exe</Command>",
                             "<Arguments>vodudo\\gefahr.csv osm:DE</Arguments>",
                             "<WorkingDirectory>C:\\poi &amp; co</WorkingDirectory>"})
        EXPECT_NE(xml.find(line), std::string::npos) << line;
}

}  // namespace
