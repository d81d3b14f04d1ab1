// poiguard's own list, and Garmin POI Loader CSV: headerless, longitude first.
//
//   % poiguard's own: longitude, latitude, name[, limit[, direction]]
//   8.80000, 53.07400, Blitzer_Nord, 50, 0
//   8.80000,53.07400,"Blitzer Nord","Tempo 50, Richtung Stadt"
#include <vector>

#include "import.h"
#include "poi/line.h"

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

Read lonlat(const std::string& text, const std::string& path)
{
    Read read;
    Point p;
    int number = 0;
    for (const std::string& line : textLines(text)) {
        ++number;
        if (isComment(line)) continue;
        if (!readLonLat(line, p)) throw notA(path, number, "longitude, latitude, name", line);
        read.points.push_back(p);
    }
    return read;
}
