// read-pois: the POI lists gpsbabel does not read, for import-pois. What it
// writes is described in reader.h; each format it reads has a file of its own.
//
//   read-pois kind FILE       what a text file is: lonlat (headerless,
//                             longitude first), cameras (a camera database)
//                             or header (a first line naming the columns,
//                             for gpsbabel's unicsv)
//   read-pois lonlat FILE                   own_list.cpp
//   read-pois cameras [--facing] FILE       camera_db.cpp
//   read-pois osm [--traffic] [--tag KEY=VALUE]... [--sections OUT] FILE   osm.cpp
//   read-pois merge METRES FILE...          merge.cpp
//   read-pois version         for the download's User-Agent
//
// A line or file that does not fit stops it with a message on standard
// error and exit status 1. Numbers are read the same under any locale.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>

#include "reader.h"

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

bool readNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    value = strtod(begin, &end);  // the C locale: this program never sets another
    while (end != begin && (*end == ' ' || *end == '\t')) ++end;
    return end != begin && *end == '\0' && std::isfinite(value);
}

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

int fail(const char* path, int number, const char* expected, const std::string& line)
{
    fprintf(stderr, "%s:%d: not %s: %s\n", path, number, expected, line.c_str());
    return 1;
}

int refusedLimits = 0;
int sectionsWithoutLimit = 0;

int keptLimit(double kmh)
{
    int whole = static_cast<int>(std::floor(kmh + 1e-9));
    if (whole <= kMaxLimitKmh) return whole;
    ++refusedLimits;
    return 0;
}

namespace {

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

}  // namespace

int main(int argc, char** argv)
{
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "merge" && argc > 3) return merge(atof(argv[2]), argv + 3, argc - 3);
    if (mode == "version") return puts(POIGUARD_VERSION) < 0;
    bool facing = false, traffic = false;
    const char* sections = nullptr;
    std::vector<std::pair<std::string, std::string>> tags;
    int i = 2;
    for (; i < argc - 1; ++i) {
        std::string a = argv[i];
        if (a == "--facing") facing = true;
        else if (a == "--traffic") traffic = true;
        else if (a == "--sections" && i + 2 < argc) sections = argv[++i];
        else if (a == "--tag" && i + 2 < argc && strchr(argv[i + 1], '=')) {
            std::string kv = argv[++i];
            tags.push_back({kv.substr(0, kv.find('=')), kv.substr(kv.find('=') + 1)});
        } else break;
    }
    if (i != argc - 1 || (mode != "kind" && mode != "lonlat" && mode != "cameras" && mode != "osm")) {
        fputs("usage: read-pois kind|lonlat|cameras [--facing]|osm [--traffic] [--tag K=V]... [--sections OUT] FILE\n"
              "       read-pois merge METRES FILE... | version\n", stderr);
        return 2;
    }
    const char* path = argv[i];
    // What was left out, for the import's summary.
    struct Summary {
        ~Summary()
        {
            if (refusedLimits) fprintf(stderr, "read-pois: %d limits over %d km/h left out\n", refusedLimits, kMaxLimitKmh);
            if (sectionsWithoutLimit) fprintf(stderr, "read-pois: %d sections without a limit left out\n", sectionsWithoutLimit);
        }
    } summary;
    if (mode == "osm") {
        try {
            return osm(path, traffic, tags, sections);
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
