// A camera database:
//
//   IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION   // the IDX column is optional
//   0,8.80000,53.07400,1,50,1,0
//
// TYPE 1 fixed, 2 red light and speed, 3 red light, 4 section, 5 mobile;
// SPEED 0 for none; DIRTYPE 0 all directions, 1 one, 2 both ways. DIRECTION
// is read as the heading of the traffic checked, as the navigation software
// that reads this format compares it with the car's heading; --facing reads
// it as the way the camera looks, at oncoming traffic.
#include <cctype>
#include <cmath>
#include <string>
#include <vector>

#include "import.h"

// The camera database's header, with or without its row numbers, a
// "// comment" after it allowed; the column names in any case.
int cameraColumns(std::string header)
{
    header = header.substr(0, header.find("//"));
    std::string names;
    for (char c : header)
        if (c != ' ' && c != '\t') names += static_cast<char>(toupper(static_cast<unsigned char>(c)));
    if (names == "X,Y,TYPE,SPEED,DIRTYPE,DIRECTION") return 6;
    if (names == "IDX,X,Y,TYPE,SPEED,DIRTYPE,DIRECTION") return 7;
    return 0;
}

namespace {

// Each camera named by its kind and limit: fixed_50, redlight, section_100.
std::string cameraName(int type, int limit)
{
    static const char* const kKinds[] = {"", "fixed", "redlight_speed", "redlight", "section", "mobile"};
    std::string name = type >= 1 && type <= 5 ? kKinds[type] : "camera_type" + std::to_string(type);
    return limit > 0 ? name + "_" + std::to_string(limit) : name;
}

}  // namespace

Read cameras(const std::string& text, const std::string& path, bool facing)
{
    Read read;
    int number = 0, columns = 0;
    for (const std::string& line : textLines(text)) {
        ++number;
        if (isComment(line)) continue;
        if (columns == 0) {
            columns = cameraColumns(line);
            if (columns == 0) throw notA(path, number, "a camera database header (X,Y,TYPE,SPEED,DIRTYPE,DIRECTION)", line);
            continue;
        }
        std::vector<std::string> f = csvFields(line.substr(0, line.find("//")));
        double v[7];
        bool ok = static_cast<int>(f.size()) == columns;
        for (int i = 0; ok && i < columns; ++i) ok = readNumber(f[static_cast<size_t>(i)], v[i]);
        const double* c = v + (columns - 6);  // X, Y, TYPE, SPEED, DIRTYPE, DIRECTION
        Point p;
        p.length = c[0];
        p.wide = c[1];
        if (!ok || !inRange(p) || c[3] < 0 || c[4] < 0 || c[4] > 2 || c[5] < 0 || c[5] > 360)
            throw notA(path, number, "X,Y,TYPE,SPEED,DIRTYPE,DIRECTION", line);
        p.limit = keptLimit(c[3], read.refusedLimits);
        if (c[4] > 0) p.heading = fmod(c[5] + (facing ? 180 : 0), 360);
        p.bothWays = c[4] == 2;
        p.name = cameraName(static_cast<int>(c[2]), static_cast<int>(c[3]));
        read.points.push_back(p);
    }
    if (columns == 0) throw notA(path, number, "a camera database", "(no header)");
    return read;
}
