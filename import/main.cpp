// poiguard-import-pois: POI lists from the formats people have, as one list
// that poiguard loads: "longitude, latitude, name[, limit[, direction]]" a line.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "import.h"
#include "platform/seam.h"

namespace {

const char* const kUsage = R"(usage: poiguard-import-pois [options] OUTPUT.csv INPUT...
       poiguard-import-pois --weekly OUTPUT.csv osm:AREA [INPUT...] | --weekly off

Inputs: osm:AREA, the cameras of an area downloaded from OpenStreetMap's
Overpass API: a country by its ISO 3166-1 code (osm:DE), several
(osm:DE,AT,CH) or a box (osm:S,W,N,E, decimal degrees); .gpx and .kml
(their waypoints), .ov2 (TomTom), .osm and .osm.pbf (OpenStreetMap: only
speed cameras unless --tag says otherwise, with their maxspeed and
direction, and enforcement relations), and text lists of any
name: a camera database (first line X,Y,TYPE,SPEED,DIRTYPE,DIRECTION, with
or without IDX first), poiguard's own list and Garmin POI Loader CSV (both
headerless, longitude first), or a CSV whose first line names the columns
(lat, lon, name in any order; commas, semicolons or tabs, as Excel saves it).
GPX, KML, OV2 and headed CSV are read through gpsbabel.

Options:
  --route-points   also take the points of routes (a planned route whose
                   points are the POIs); track points are never taken
  --format FMT     read the inputs after it as gpsbabel's format FMT (for
                   example garmin_gpi); --format auto goes back to the above
  --tag KEY=VALUE  take OpenStreetMap nodes with this tag (repeatable;
                   default highway=speed_camera)
  --within METRES  a POI this close to an earlier one that checks the same
                   way at the same limit is a duplicate and dropped
                   (default 5); cameras at one place that check other ways
                   are all kept
  --directions facing|traffic|auto
                   read each direction of the inputs after it as the way
                   the camera looks (at oncoming traffic) or as the heading
                   of the traffic it checks; auto: camera databases give
                   the traffic's heading, OpenStreetMap the way it looks
  --overpass URL   the Overpass API's interpreter for osm:AREA (default
                   $POIGUARD_OVERPASS, else the main public instance)
  --force          write a download's list even when it holds fewer than
                   half the POIs of the list it replaces
  --weekly         (Windows) the Task Scheduler runs this import every week,
                   as soon as it can after a missed week, with a network;
                   the list is downloaded now too. --weekly off ends it.
  --version        the program's version
)";

constexpr const char* kTaskName = "poiguard weekly download";

[[noreturn]] void fail(const std::string& message)
{
    fprintf(stderr, "import-pois: %s\n", message.c_str());
    exit(1);
}

bool endsWith(const std::string& s, const char* end)
{
    size_t n = strlen(end);
    return s.size() >= n && s.compare(s.size() - n, n, end) == 0;
}

// The list's name without .csv, for its sections file beside it.
std::string withoutCsv(const std::string& path) { return endsWith(lower(path), ".csv") ? path.substr(0, path.size() - 4) : path; }

std::string folderOf(const std::string& path)
{
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? "." : slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

bool isFolder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFDIR;
}

// The first POI of a list of ours: longitude, latitude; false without one.
bool firstPoi(const std::string& path, double& lon, double& lat)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.size() >= 2 && line[0] != '%' && line[0] != '#') return sscanf(line.c_str(), "%lf , %lf", &lon, &lat) == 2;
    return false;
}

bool isReadableFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG && std::ifstream(path).good();
}

// The POIs a list holds: its lines but comments and blank ones.
int poisIn(const std::string& text)
{
    int n = 0;
    for (const std::string& line : textLines(text))
        n += line.find_first_not_of(" \t") != std::string::npos && line[0] != '%' && line[0] != '#';
    return n;
}

struct Input {
    std::string name, format;  // format: auto or gpsbabel's
    std::string directions;    // facing, traffic or auto
};

struct Options {
    std::string output, within = "5", overpass;
    bool routePoints = false, force = false;
    Tags tags;
    std::vector<Input> inputs;
};

Options parse(int argc, char** argv, int first)
{
    Options o;
    const char* env = getenv("POIGUARD_OVERPASS");
    o.overpass = env && *env ? env : "https://overpass-api.de/api/interpreter";
    std::string format = "auto", directions = "auto";
    std::vector<Input> all;
    for (int i = first; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](const char* what) -> std::string {
            if (i + 1 >= argc) fail(a + " needs " + what);
            return argv[++i];
        };
        if (a == "--format") format = value("a value");
        else if (a == "--directions") {
            directions = value("facing, traffic or auto");
            if (directions != "facing" && directions != "traffic" && directions != "auto")
                fail("--directions takes facing, traffic or auto");
        } else if (a == "--route-points") o.routePoints = true;
        else if (a == "--tag") {
            std::string kv = value("KEY=VALUE");
            size_t eq = kv.find('=');
            if (eq == std::string::npos) fail("--tag needs KEY=VALUE");
            o.tags.push_back({kv.substr(0, eq), kv.substr(eq + 1)});
        } else if (a == "--within") o.within = value("metres");
        else if (a == "--overpass") o.overpass = value("a URL");
        else if (a == "--force") o.force = true;
        else if (a == "-h" || a == "--help") {
            fputs(kUsage, stderr);
            exit(2);
        } else if (a.size() > 1 && a[0] == '-') fail("unknown option " + a);
        else all.push_back({a, format, directions});
    }
    if (all.size() < 2) {
        fputs(kUsage, stderr);
        exit(2);
    }
    // gpsbabel's csv reads latitude first; every headerless list people have
    // here is longitude first, and read so without --format.
    for (const Input& in : all)
        if (in.format == "csv")
            fail("--format csv reads latitude first; headerless longitude-first lists need no --format, and a "
                 "latitude-first list needs a first line naming its columns (lat,lon,name)");
    o.output = all[0].name;
    o.inputs.assign(all.begin() + 1, all.end());
    if (o.tags.empty()) o.tags.push_back({"highway", "speed_camera"});
    return o;
}

struct WorkFolder {
    char path[4096] = "";
    WorkFolder()
    {
        if (!makeWorkFolder(path, sizeof path)) fail("cannot make a temporary folder");
    }
    ~WorkFolder() { removeFolder(path); }
};

int import(const Options& o)
{
    const std::string& output = o.output;
    if (isFolder(output)) fail(output + " is a folder; give the list's file name (for example " + output + "/gefahr.csv)");
    {
        std::string folder = folderOf(output);
        // The list poiguard's start-up hint names may be the first in its folder.
        std::error_code ignored;
        if (!isFolder(folder)) std::filesystem::create_directories(folder, ignored);
        if (!isFolder(folder) || !std::ofstream(folder + "/.import-pois-probe"))
            fail("cannot write " + output + ": its folder is missing or not writable");
        remove((folder + "/.import-pois-probe").c_str());
    }
    double within;
    if (o.within.find_first_not_of("0123456789.") != std::string::npos || !readNumber(o.within, within))
        fail("--within takes metres, not '" + o.within + "'");
    WorkFolder work;
    std::vector<Point> all;
    std::vector<std::string> readList, sections;
    int leftOut = 0, refused = 0, limitless = 0;
    bool downloaded = false;
    std::string tagList;
    for (const auto& t : o.tags) tagList += (tagList.empty() ? "" : " ") + t.first + "=" + t.second;
    for (size_t i = 0; i < o.inputs.size(); ++i) {
        const Input& in = o.inputs[i];
        std::string path = in.name, format = in.format;
        Read read;
        try {
            if (path.compare(0, 4, "osm:") == 0) {
                std::string area = path.substr(4), query;
                std::string answer = std::string(work.path) + "/" + std::to_string(i) + ".osm";
                try {
                    double lon, lat;
                    if (firstPoi(output, lon, lat) && !lonFirstBox(area, lon, lat).empty())
                        throw ReadError(lonFirstBox(area, lon, lat));
                    query = overpassQuery(area, o.tags);
                    if (onTerminal()) fprintf(stderr, "import-pois: asking %s for the cameras of %s\n", o.overpass.c_str(), area.c_str());
                    download({o.overpass, std::string("poiguard-import-pois/") + POIGUARD_VERSION, onTerminal()}, query, answer);
                } catch (const ReadError& e) {
                    fail(path + ": " + e.what() + "; " + output + " is left as it was");
                }
                downloaded = true;
                read = osm([answer](unsigned kinds, const OsmVisit& visit) { readOsmXml(answer, kinds, visit); },
                           in.directions == "traffic", o.tags);
                format = "osm";
            } else {
                if (!isReadableFile(path)) fail("cannot read " + path);
                std::string l = lower(path);
                if (format == "auto") {
                    if (endsWith(l, ".gpx")) format = "gpx";
                    else if (endsWith(l, ".kml")) format = "kml";
                    else if (endsWith(l, ".ov2")) format = "tomtom";
                    else if (endsWith(l, ".osm") || endsWith(l, ".pbf") || endsWith(l, ".osm.bz2") || endsWith(l, ".osm.gz"))
                        format = "osm";
                }
                std::string text;
                if (format == "auto") {
                    text = fileText(path);
                    format = textKind(text);
                    if (format == "header") format = "unicsv";
                }
                if (format == "osm") read = osm(osmFile(path), in.directions == "traffic", o.tags);
                else if (format == "lonlat") read = lonlat(text, path);
                else if (format == "cameras") read = cameras(text, path, in.directions == "facing");
                else read = throughGpsbabel(path, format, o.routePoints, work.path);
            }
        } catch (const ReadError& e) {
            fail(e.what());
        }
        // A list of our own may hold nothing but comments; anything else that
        // gives no POI was not what it seemed.
        if (read.points.empty() && format != "lonlat") {
            std::string expected = format == "osm"      ? "nodes tagged " + tagList
                                   : format == "unicsv" ? "rows under a first line naming the columns lat, lon and name"
                                                        : "waypoints";
            if (read.leftOut) expected += " (track points are left out, and route points unless --route-points)";
            fail(path + ": no POI found; expected " + expected);
        }
        // Names as one word now; a POI without one is numbered in reading order.
        for (size_t k = 0; k < read.points.size(); ++k) {
            Point& p = read.points[k];
            p.name = oneWord(p.name);
            if (p.name.empty()) p.name = "poi_" + std::to_string(all.size() + 1);
            all.push_back(p);
        }
        readList.push_back(path + ": " + std::to_string(read.points.size()));
        leftOut += read.leftOut;
        refused += read.refusedLimits;
        limitless += read.sectionsWithoutLimit;
        sections.insert(sections.end(), read.sections.begin(), read.sections.end());
    }
    if (all.empty()) {
        std::string names;
        for (const Input& in : o.inputs) names += (names.empty() ? "" : " ") + in.name;
        fail("no POI in " + names + "; " + output + " is left as it was");
    }
    std::vector<Point> kept = merge(all, within);
    int limits = 0, directions = 0;
    std::string text = listText(kept, limits, directions);
    int written = static_cast<int>(kept.size());
    // A wrong area or a half-broken answer must not silently empty a working list.
    if (downloaded && !o.force && isReadableFile(output)) {
        int before = poisIn(fileText(output));
        if (written * 2 < before)
            fail("the download gives " + std::to_string(written) + " POIs where " + output + " holds " +
                 std::to_string(before) + ": a wrong area, or a half answer? --force writes it anyway; " + output +
                 " is left as it was");
    }
    // Average-speed sections go to a file beside the list, which older versions
    // never read; an import without sections takes away the old ones, which
    // belonged to the list it replaces.
    std::set<std::string> sorted(sections.begin(), sections.end());
    std::string sectionsText, sectionsFile = withoutCsv(output) + ".sections.csv";
    for (const std::string& s : sorted) sectionsText += s + "\n";
    char why[512];
    if (!sorted.empty() && !replaceFile(sectionsFile.c_str(), sectionsText.data(), sectionsText.size(), why, sizeof why))
        fail("cannot write " + sectionsFile + ": " + why);
    if (sorted.empty()) remove(sectionsFile.c_str());
    if (!replaceFile(output.c_str(), text.data(), text.size(), why, sizeof why))
        fail("cannot write " + output + ": " + why + "; it is left as it was");
    std::string summary = "import-pois: read ";
    for (size_t i = 0; i < readList.size(); ++i) summary += (i ? ", " : "") + readList[i];
    summary += "; wrote " + std::to_string(written) + " POIs to " + output;
    if (limits + directions)
        summary += "; " + std::to_string(limits) + " with a speed limit, " + std::to_string(directions) + " with a direction";
    summary += "; dropped " + std::to_string(all.size() - kept.size()) + " as duplicates (within " + o.within + " m)";
    if (leftOut) summary += "; left out " + std::to_string(leftOut) + " track and route points";
    if (refused)
        summary += "; left out " + std::to_string(refused) + " speed limits over 300 km/h, more than poiguard takes (their cameras kept without one)";
    if (!sorted.empty()) summary += "; " + std::to_string(sorted.size()) + " average-speed sections to " + sectionsFile;
    if (limitless) summary += "; left out " + std::to_string(limitless) + " sections without a limit";
    printf("%s\n", summary.c_str());
    return 0;
}

// --weekly OUTPUT osm:AREA [INPUT...]: the task, then the download now.
int weekly(int argc, char** argv)
{
    char why[512];
    if (argc == 3 && strcmp(argv[2], "off") == 0) {
        if (!removeWeeklyTask(kTaskName, why, sizeof why)) fail(why);
        printf("import-pois: the weekly download is off\n");
        return 0;
    }
    Options o = parse(argc, argv, 2);
    std::string area;
    for (const Input& in : o.inputs)
        if (in.name.compare(0, 4, "osm:") == 0) area = in.name;
    if (area.empty()) fail("--weekly needs osm:AREA among the inputs: the area the task downloads");
    std::string arguments;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i];
        arguments += (i > 2 ? " " : "") + (a.find_first_of(" \t") == std::string::npos ? a : "\"" + a + "\"");
    }
    std::string definition = weeklyTaskXml(programPath(), arguments, std::filesystem::current_path().string(), taskUser());
    if (!registerWeeklyTask(kTaskName, definition.c_str(), why, sizeof why)) fail(why);
    printf("import-pois: the Task Scheduler downloads %s into %s every week (\"%s\"); --weekly off ends it\n",
           area.c_str(), o.output.c_str(), kTaskName);
    return import(o);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && strcmp(argv[1], "--version") == 0) return puts(POIGUARD_VERSION) < 0;
    if (argc > 1 && strcmp(argv[1], "--weekly") == 0) return weekly(argc, argv);
    return import(parse(argc, argv, 1));
}
