#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "poi/distance.h"
#include "reader.h"

// merge METRES FILE...: the inputs' lists as import-pois names them
// (longitude, latitude, name, "limit direction", tab-separated), one after
// the other; a POI within METRES of an earlier one kept that checks the same
// way at the same limit is a duplicate and dropped. Cameras at one place
// that check different ways (two on one pole, one for each carriageway) or
// carry different limits are all kept.
namespace {

struct Kept {
    double length, wide;
    std::string limitAndWay;
};

// "90/270" and "270/90" are one way; a lone heading and "-" stand as written.
std::string sameWayKey(const std::string& limitAndWay)
{
    size_t blank = limitAndWay.find(' '), slash = limitAndWay.find('/');
    if (blank == std::string::npos || slash == std::string::npos) return limitAndWay;
    int a = atoi(limitAndWay.c_str() + blank + 1), b = atoi(limitAndWay.c_str() + slash + 1);
    return limitAndWay.substr(0, blank) + " " + std::to_string(std::min(a, b)) + "/" + std::to_string(std::max(a, b));
}

}  // namespace

int merge(double within, char** files, int count)
{
    // Kept POIs by cell of a grid over the earth's surface (3D, cells of
    // METRES): a duplicate lies in one of the 27 cells around a POI.
    constexpr double kEarthMetres = 6371000.0;
    double cell = std::max(within, 1.0);
    std::map<std::array<long, 3>, std::vector<Kept>> grid;
    for (int f = 0; f < count; ++f) {
        std::ifstream in(files[f], std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            std::vector<std::string> t(1);
            for (char c : line)
                if (c == '\t') t.emplace_back();
                else t.back().push_back(c);
            if (t.size() != 4) continue;
            Kept k{atof(t[0].c_str()), atof(t[1].c_str()), sameWayKey(t[3])};
            double x = kEarthMetres * cos(k.wide * kRadiansPerDegree) * cos(k.length * kRadiansPerDegree),
                   y = kEarthMetres * cos(k.wide * kRadiansPerDegree) * sin(k.length * kRadiansPerDegree),
                   z = kEarthMetres * sin(k.wide * kRadiansPerDegree);
            std::array<long, 3> at{std::lround(floor(x / cell)), std::lround(floor(y / cell)), std::lround(floor(z / cell))};
            bool duplicate = false;
            for (long dx = -1; dx <= 1 && !duplicate; ++dx)
                for (long dy = -1; dy <= 1 && !duplicate; ++dy)
                    for (long dz = -1; dz <= 1 && !duplicate; ++dz) {
                        auto near = grid.find({at[0] + dx, at[1] + dy, at[2] + dz});
                        if (near == grid.end()) continue;
                        for (const Kept& o : near->second)
                            if (o.limitAndWay == k.limitAndWay &&
                                greatCircleDistance(o.length, k.length, o.wide, k.wide) * 1000 <= within)
                                duplicate = true;
                    }
            if (duplicate) continue;
            grid[at].push_back(k);
            printf("%.6f\t%.6f\t%s\t%s\n", k.length, k.wide, t[2].c_str(), t[3].c_str());
        }
    }
    return 0;
}

