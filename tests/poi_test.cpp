#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "helpers.h"

namespace {

const std::string kInvalid =
    "ERROR, while reading file, found invalid line\nformat should be that way:\n"
    "GPS_LENTGH_DECIMAL, GPS_WIDE_DECIMAL, NAME\ne.g. 9.12700, 53.07033, \"[2974]\"\n";

TEST(Loader, TableOfFiles)
{
    const struct {
        const char* legend;
        std::string file;
        int count;
        bool invalid;  // the four error lines
        const char* firstName;
    } cases[] = {
        {"the help text's example", "9.12700, 53.07033, \"[2974]\"\n", 1, false, "\"[2974]\""},
        {"blanks, tabs, repeated commas", "9.127 \t53.07033,, A\n", 1, false, "A"},
        {"comments in the first column only", "% x\n# y\n9.1,53.0,A\n # z\n", 1, true, "A"},
        {"empty CR LF lines are skipped", "\r\n9.1,53.0,A\r\n\r\n8.0,50.0,B", 2, false, "A"},
        {"a lone blank stops reading", "9.1,53.0,A\n \n8.0,50.0,B\n", 1, true, "A"},
        {"four tokens", "9.1,53.0,A B\n", 0, true, nullptr},
        {"coordinates that are not numbers", "9.1,53.0x,A\n", 0, true, nullptr},
        {"an infinite coordinate", "inf,53.0,A\n", 0, true, nullptr},
        {"a long name is cut to 31 characters", "9.1,53.0," + std::string(40, 'n') + "\n", 1, false,
         "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"},
        {"an invalid third line keeps two", "9.1,53.0,A\n8.0,50.0,B\nbad\n7.0,40.0,C\n", 2, true, "A"},
        {"no data lines", "# x\n\n", 0, false, nullptr},
    };
    for (const auto& c : cases) {
        Guarded g;
        writeFile("pois.csv", c.file);
        g.guard.loadPoiList("pois.csv");
        EXPECT_EQ(g.console.take(), "Loading POI list from pois.csv\n" + std::string(c.invalid ? kInvalid : "") +
                                        "SUCCESS Loading POI list from pois.csv ... ready, found " +
                                        std::to_string(c.count) + " POIs\n")
            << c.legend;
        ASSERT_EQ(g.guard.poiCount, c.count) << c.legend;
        if (c.firstName) {
            EXPECT_STREQ(g.guard.poiList[0].name, c.firstName) << c.legend;
        }
    }
}

TEST(Distance, KnownValuesToAMetreAndZeroOnTheSpot)
{
    EXPECT_NEAR(CPoiGuard::greatCircleDistance(0, 1, 0, 0), 111.19493, 0.001);
    EXPECT_NEAR(CPoiGuard::greatCircleDistance(9.127, 9.137, 53.07033, 53.07033), 0.66810, 0.001);
    EXPECT_NEAR(CPoiGuard::greatCircleDistance(9.127, 9.127, 53.07033, 53.08033), 1.11195, 0.001);
    // Where the cosine sum rounds past 1, acos alone would give NaN.
    for (double w : {53.07033, 48.1173, 0.5, 89.9, -33.3})
        for (double l : {9.127, 11.516667, 153.05}) EXPECT_LT(CPoiGuard::greatCircleDistance(l, l, w, w), 0.001);
}

// The partition sort that computes the distances at every comparison. The
// program computes each once; the order, ties included, must be the same,
// since the nearest-POI lines are printed in it.
void directSort(std::vector<Poi>& list, double length, double wide, int lo, int hi)
{
    auto distance = [&](int k) { return CPoiGuard::greatCircleDistance(length, list[k].length, wide, list[k].wide); };
    int i = lo, j = hi;
    double pivot = distance((lo + hi) / 2);
    while (i <= j) {
        while (distance(i) < pivot) ++i;
        while (distance(j) > pivot) --j;
        if (i <= j) std::swap(list[i++], list[j--]);
    }
    if (lo < j) directSort(list, length, wide, lo, j);
    if (i < hi) directSort(list, length, wide, i, hi);
}

TEST(Ordering, NearestFirstTiesAndLatchesAsTheDirectSortHasThem)
{
    Guarded g;
    placeAt(g.guard, 9.0, 53.0);
    g.guard.poiCount = 3000;
    g.guard.poiList = static_cast<Poi*>(calloc(3000, sizeof(Poi)));
    srand(11);
    for (int i = 0; i < 3000; ++i) {
        Poi& p = g.guard.poiList[i];
        p.length = 9.0 + (rand() % 40) * 0.002;  // many ties, some right on the position
        p.wide = 53.0 + (rand() % 40) * 0.002;
        p.alarm2Fired = i % 2;
        snprintf(p.name, sizeof p.name, "%d", i);
    }
    std::vector<Poi> expected(g.guard.poiList, g.guard.poiList + 3000);
    directSort(expected, 9.0, 53.0, 0, 2999);
    EXPECT_EQ(g.guard.sortPoiList(), 0);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_STREQ(g.guard.poiList[i].name, expected[i].name) << "at " << i;
        ASSERT_EQ(g.guard.poiList[i].alarm2Fired, atoi(expected[i].name) % 2);
    }
    EXPECT_EQ(g.guard.PoiListSorted, 1);
}

TEST(Ordering, LogLinesGuardAndTinyLists)
{
    Guarded g;
    givePois(g.guard, {{9.0, 54.0, "far"}, {9.0, 53.5, "near"}});
    EXPECT_EQ(g.guard.sortPoiList(), 1);  // no position yet: nothing happens
    EXPECT_EQ(g.console.take(), "");
    EXPECT_STREQ(g.guard.poiList[0].name, "far");
    placeAt(g.guard, 9.0, 53.0);
    EXPECT_EQ(g.guard.sortPoiList(), 0);
    EXPECT_STREQ(g.guard.poiList[0].name, "near");
    EXPECT_EQ(g.console.take(),
              "\nSorting POI List lastPosLength=9.000000   lastPosWide=53.000000\n ... ready ... list is sorted\n");
    for (int count : {1, 0}) {
        g.guard.poiCount = count;
        EXPECT_EQ(g.guard.sortPoiList(), 0);
    }
}

}  // namespace
