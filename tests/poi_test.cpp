#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "helpers.h"

namespace {

const std::string kInvalid =
    "ERROR, while reading file, found invalid line\nformat should be that way:\n"
    "GPS_LENTGH_DECIMAL, GPS_WIDE_DECIMAL, NAME\ne.g. 9.12700, 53.07033, \"[2974]\"\n";

struct LoaderCase {
    const char* legend;
    std::string file;
    int count;
    bool invalid;  // the four error lines appear
    const char* firstName;
};

TEST(Loader, TableOfLines)
{
    const LoaderCase cases[] = {
        {"the help text's own example", "9.12700, 53.07033, \"[2974]\"\n", 1, false, "\"[2974]\""},
        {"blanks and tabs, no commas", "9.127 \t53.07033   A\n", 1, false, "A"},
        {"commas and blanks mixed, repeated", "9.127,, 53.07033 ,\tA\n", 1, false, "A"},
        {"comments in the first column only", "% x\n# y\n9.1,53.0,A\n", 1, false, "A"},
        {"blank before # makes a data line", " # y\n9.1,53.0,A\n", 0, true, nullptr},
        {"empty CR LF line is skipped", "\r\n9.1,53.0,A\r\n\r\n8.0,50.0,B\r\n", 2, false, "A"},
        {"a lone blank is an invalid line", "9.1,53.0,A\n \n8.0,50.0,B\n", 1, true, "A"},
        {"four tokens", "9.1,53.0,A B\n", 0, true, nullptr},
        {"two tokens", "9.1,53.0\n", 0, true, nullptr},
        {"longitude not a number", "east,53.0,A\n", 0, true, nullptr},
        {"latitude half a number", "9.1,53.0x,A\n", 0, true, nullptr},
        {"infinite coordinate", "inf,53.0,A\n", 0, true, nullptr},
        {"long name is cut to 31 characters", "9.1,53.0," + std::string(40, 'n') + "\n", 1, false,
         "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"},
        {"no line end on the last line", "9.1,53.0,A\n8.0,50.0,B", 2, false, "A"},
        {"invalid third line stops at two", "9.1,53.0,A\n8.0,50.0,B\nbad\n7.0,40.0,C\n", 2, true, "A"},
        {"duplicates are kept", "9.1,53.0,A\n9.1,53.0,A\n", 2, false, "A"},
        {"only comments", "# x\n\n", 0, false, nullptr},
    };
    for (const LoaderCase& c : cases) {
        InTempDir dir;
        writeFile("pois.csv", c.file);
        Log log;
        CPoiGuard guard;
        guard.log = &log;
        Console console;
        guard.loadPoiList("pois.csv");
        std::string expected = "Loading POI list from pois.csv\n" + std::string(c.invalid ? kInvalid : "") +
                               "SUCCESS Loading POI list from pois.csv ... ready, found " +
                               std::to_string(c.count) + " POIs\n";
        EXPECT_EQ(console.take(), expected) << c.legend;
        ASSERT_EQ(guard.poiCount, c.count) << c.legend;
        if (c.firstName) {
            EXPECT_STREQ(guard.poiList[0].name, c.firstName) << c.legend;
            EXPECT_EQ(guard.poiList[0].alarm1Fired + guard.poiList[0].alarm2Fired + guard.poiList[0].alarm4Fired, 0);
        }
    }
}

TEST(Loader, ExampleValuesAndMissingFile)
{
    InTempDir dir;
    writeFile("pois.csv", "9.12700, 53.07033, \"[2974]\"\n");
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    Console console;
    guard.loadPoiList("pois.csv");
    EXPECT_DOUBLE_EQ(guard.poiList[0].length, 9.127);
    EXPECT_DOUBLE_EQ(guard.poiList[0].wide, 53.07033);

    console.take();
    guard.loadPoiList("sub\\missing.csv");
    EXPECT_EQ(console.take(), "Loading POI list from sub\\missing.csv\nERROR while opening file sub\\missing.csv\n");
    EXPECT_EQ(guard.poiCount, 0);
}

TEST(Loader, BackslashPathOpensTheFolder)
{
    InTempDir dir;
    std::filesystem::create_directory("vodudo");
    writeFile("vodudo/gefahr.csv", "9.1,53.0,A\n");
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    Console console;
    guard.loadPoiList("vodudo\\gefahr.csv");
    EXPECT_EQ(guard.poiCount, 1);
}

TEST(Distance, KnownValuesToAMetre)
{
    struct {
        double l1, l2, w1, w2, km;
    } cases[] = {
        {0, 1, 0, 0, 111.19493},
        {9.127, 9.137, 53.07033, 53.07033, 0.66810},
        {9.127, 9.127, 53.07033, 53.08033, 1.11195},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(CPoiGuard::greatCircleDistance(c.l1, c.l2, c.w1, c.w2), c.km, 0.001);
}

TEST(Distance, SamePointIsZeroNeverNaN)
{
    // Points where the cosine sum rounds above 1.
    for (double w : {53.07033, 48.1173, 0.5, 89.9, -33.3})
        for (double l : {9.127, 11.516667, 153.05}) {
            double d = CPoiGuard::greatCircleDistance(l, l, w, w);
            EXPECT_FALSE(std::isnan(d));
            EXPECT_LT(d, 0.001);
        }
}

class Ordering : public testing::Test {
protected:
    InTempDir dir;
    Log log;
    CPoiGuard guard;
    Console console;
    void SetUp() override
    {
        guard.log = &log;
        guard.lastPosLength = 9.0;
        guard.lastPosWide = 53.0;
    }
};

TEST_F(Ordering, NearestFirstWithLatchesTravelling)
{
    givePois(guard, {{9.0, wideNorthOf(53.0, 5), "five"}, {9.0, wideNorthOf(53.0, 1), "one"},
                     {9.0, wideNorthOf(53.0, 3), "three"}});
    guard.poiList[0].alarm2Fired = 1;
    EXPECT_EQ(guard.sortPoiList(), 0);
    EXPECT_STREQ(guard.poiList[0].name, "one");
    EXPECT_STREQ(guard.poiList[1].name, "three");
    EXPECT_STREQ(guard.poiList[2].name, "five");
    EXPECT_EQ(guard.poiList[2].alarm2Fired, 1);
    EXPECT_EQ(guard.poiList[0].alarm2Fired, 0);
    EXPECT_EQ(guard.PoiListSorted, 1);
    EXPECT_EQ(console.take(), "\nSorting POI List lastPosLength=9.000000   lastPosWide=53.000000\n"
                              " ... ready ... list is sorted\n");
}

TEST_F(Ordering, TiesOnePoiNoPoiAndAPoiUnderThePosition)
{
    givePois(guard, {{9.0, 53.0, "here"}, {9.0, wideNorthOf(53.0, 2), "b"}, {9.0, 53.0, "here2"},
                     {9.0, wideNorthOf(53.0, 2), "b2"}});
    EXPECT_EQ(guard.sortPoiList(), 0);
    EXPECT_EQ(guard.distanceOf(0), 0.0);
    EXPECT_EQ(guard.distanceOf(1), 0.0);

    givePois(guard, {{9.0, 54.0, "only"}});
    EXPECT_EQ(guard.sortPoiList(), 0);
    givePois(guard, {});
    EXPECT_EQ(guard.sortPoiList(), 0);
    EXPECT_EQ(guard.PoiListSorted, 1);
}

TEST_F(Ordering, LargeRandomListComesOutSorted)
{
    srand(7);
    givePois(guard, {});
    free(guard.poiList);
    guard.poiCount = 5000;
    guard.poiList = static_cast<Poi*>(calloc(5000, sizeof(Poi)));
    for (int i = 0; i < 5000; ++i) {
        // Many exact duplicates and points right on the position.
        guard.poiList[i].length = 9.0 + (rand() % 50) * 0.001;
        guard.poiList[i].wide = 53.0 + (rand() % 50) * 0.001;
    }
    EXPECT_EQ(guard.sortPoiList(), 0);
}

TEST_F(Ordering, PositionGuard)
{
    givePois(guard, {{9.0, 54.0, "b"}, {9.0, 53.5, "a"}});
    guard.lastPosWide = 0.005;
    EXPECT_EQ(guard.sortPoiList(), 1);
    EXPECT_EQ(console.take(), "");
    EXPECT_STREQ(guard.poiList[0].name, "b");
    guard.lastPosLength = 0.01;
    guard.lastPosWide = 0.01;
    EXPECT_EQ(guard.sortPoiList(), 0);
}

}  // namespace
