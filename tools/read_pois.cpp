// read-pois: the POI lists gpsbabel does not read, for import-pois. Writes
// one POI a line on standard output, tab-separated: longitude, latitude,
// name, speed limit (km/h, empty for none), direction (empty for none).
//
//   read-pois kind FILE     prints what the file is: lonlat (headerless
//                           longitude-first lines) or header (a first line
//                           that names the columns, for gpsbabel's unicsv)
//   read-pois lonlat FILE   poiguard's own list, or Garmin POI Loader CSV:
//
//     % poiguard's own: longitude, latitude, name, commas and/or blanks
//     8.80000, 53.07400, Blitzer_Nord
//     8.80000,53.07400,"Blitzer Nord","Tempo 50, Richtung Stadt"
//
// A line that is neither stops reading with its number on standard error
// and exit status 1. Numbers are read the same under any locale.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "poi/line.h"

namespace {

struct Point {
    double length;
    double wide;
    std::string name;
};

bool inRange(const Point& p) { return std::fabs(p.length) <= 180 && std::fabs(p.wide) <= 90; }

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
        p = {poi.length, poi.wide, poi.name};
        return inRange(p);
    }
    std::vector<std::string> f = csvFields(line);
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
    return line.find_first_not_of(" \t") == std::string::npos || line[0] == '%' || line[0] == '#';
}

int kind(std::istream& in)
{
    std::string line;
    int number = 0;
    Point p;
    while (nextLine(in, line, number))
        if (!isComment(line)) return puts(readLonLat(line, p) ? "lonlat" : "header") < 0;
    return puts("lonlat") < 0;  // nothing but comments: an empty list of our own
}

int lonlat(std::istream& in, const char* path)
{
    std::string line;
    int number = 0;
    Point p;
    while (nextLine(in, line, number)) {
        if (isComment(line)) continue;
        if (!readLonLat(line, p)) {
            fprintf(stderr, "%s:%d: not longitude, latitude, name: %s\n", path, number, line.c_str());
            return 1;
        }
        for (char& c : p.name)
            if (c == '\t') c = ' ';
        printf("%.8f\t%.8f\t%s\t\t\n", p.length, p.wide, p.name.c_str());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || (strcmp(argv[1], "kind") != 0 && strcmp(argv[1], "lonlat") != 0)) {
        fputs("usage: read-pois kind|lonlat FILE\n", stderr);
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    if (!in) {
        fprintf(stderr, "read-pois: cannot read %s\n", argv[2]);
        return 1;
    }
    return strcmp(argv[1], "kind") == 0 ? kind(in) : lonlat(in, argv[2]);
}
