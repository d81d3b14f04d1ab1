// The inputs merged: a POI within METRES of an earlier one kept that checks
// the same way at the same limit is a duplicate and dropped. Cameras at one
// place that check different ways (two on one pole, one for each
// carriageway) or carry different limits are all kept.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

#include "import.h"
#include "geo/geo.h"

namespace {

// The way a POI checks as the list writes it: 90/270 and 270/90 are one.
std::array<int, 3> sameWay(const Point& p)
{
    if (p.heading < 0) return {p.limit, -1, -1};
    int d = static_cast<int>(std::lround(p.heading)) % 360;
    if (!p.bothWays) return {p.limit, d, -1};
    return {p.limit, std::min(d, (d + 180) % 360), std::max(d, (d + 180) % 360)};
}

}  // namespace

std::vector<Point> merge(const std::vector<Point>& all, double within)
{
    // Kept POIs by cell of a grid over the earth's surface (3D, cells of
    // METRES): a duplicate lies in one of the 27 cells around a POI.
    constexpr double kEarthMetres = kEarthRadiusKm * 1000.0;
    double cell = std::max(within, 1.0);
    std::map<std::array<long, 3>, std::vector<const Point*>> grid;
    std::vector<Point> kept;
    for (const Point& k : all) {
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
                    for (const Point* o : near->second)
                        if (sameWay(*o) == sameWay(k) &&
                            greatCircleDistance(o->length, k.length, o->wide, k.wide) * 1000 <= within)
                            duplicate = true;
                }
        if (!duplicate) grid[at].push_back(&k);
        if (!duplicate) kept.push_back(k);
    }
    return kept;
}
