#include <gtest/gtest.h>

#include "helpers.h"
#include "geo/geo.h"
#include "poi/line.h"
#include "poi/loader.h"
#include "poi/ordering.h"
#include "poi/reload.h"

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
        const char* invalid;  // after the four error lines: what to mend (nullptr: none)
        const char* firstName;
    } cases[] = {
        {"the help text's example", "9.12700, 53.07033, \"[2974]\"\n", 1, nullptr, "\"[2974]\""},
        {"blanks, tabs, repeated commas", "9.127 \t53.07033,, A\n", 1, nullptr, "A"},
        {"a byte-order mark before the first line", "\xEF\xBB\xBF" "9.1,53.0,A\n", 1, nullptr, "A"},
        {"comments in the first column only", "% x\n# y\n9.1,53.0,A\n # z\n", 1, "line 4:  # z", "A"},
        {"empty CR LF lines are skipped", "\r\n9.1,53.0,A\r\n\r\n8.0,50.0,B", 2, nullptr, "A"},
        {"a lone blank stops reading", "9.1,53.0,A\n \n8.0,50.0,B\n", 1, "line 2:  :", "A"},
        {"four tokens", "9.1,53.0,A B\n", 0, "line 1: 9.1,53.0,A B:", nullptr},
        {"two fields", "9.1,53.0\n", 0, "line 1: 9.1,53.0:", nullptr},
        {"decimal commas", "9,1, 53,0, A\n", 0, "line 1: 9,1, 53,0, A:", nullptr},
        {"an infinite coordinate", "inf,53.0,A\n", 0, "line 1: inf", nullptr},
        {"a long name is cut to 31 characters", "9.1,53.0," + std::string(40, 'n') + "\n", 1, nullptr,
         "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"},
        {"a line over 1022 characters is read in pieces", "9.1,53.0," + std::string(1014, 'n') + "\n", 1, "line 2",
         "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"},
        {"an invalid third line keeps two", "9.1,53.0,A\n8.0,50.0,B\nbad\n7.0,40.0,C\n6.0,40.0,D\n", 2,
         "line 3: bad: not longitude, latitude, name (a decimal point, commas between); 2 lines after it not read. Mend "
         "it, or put # first to skip it\n", "A"},
        {"no data lines", "# x\n\n", 0, nullptr, nullptr},
    };
    for (const auto& c : cases) {
        Logged l;
        writeFile("pois.csv", c.file);
        PoiFile f = readPoiFile("pois.csv", &l.log);
        std::string out = l.console.take();
        std::string success = "SUCCESS Loading POI list from pois.csv ... ready, found " + std::to_string(c.count) + " POIs\n";
        if (c.invalid) {
            // The hint's own rows name its start; one row spells it whole.
            EXPECT_EQ(out.find("Loading POI list from pois.csv\n" + kInvalid + "    pois.csv " + c.invalid), 0u) << c.legend;
        } else {
            EXPECT_EQ(out, "Loading POI list from pois.csv\n" + success) << c.legend;
        }
        EXPECT_EQ(out.substr(out.size() - success.size()), success) << c.legend;
        EXPECT_EQ(f.end, c.invalid ? kPoiFileInvalidLine : kPoiFileWhole) << c.legend;
        ASSERT_EQ(f.count, c.count) << c.legend;
        if (c.firstName) {
            const Poi& p = f.list[0];
            EXPECT_STREQ(p.name, c.firstName) << c.legend;
            EXPECT_EQ(p.alarm1Fired + p.alarm2Fired + p.alarm4Fired, 0) << c.legend;  // every level armed
        }
        free(f.list);
    }
}

// The fields after the name: a limit, then a direction.
TEST(Loader, LimitsAndDirections)
{
    const struct {
        const char* line;
        bool valid;
        int limit = 0, heading = 0, bothWays = 0;
    } rows[] = {
        {"8.8, 53.0, A, 50", true, 50, kAllHeadings, 0},
        {"8.8 53.0 A 50 180", true, 50, 180, 0},
        {"8.8, 53.0, A, -, 0", true, kNoLimit, 360, 0},
        {"8.8, 53.0, A, 0, 90/270", true, kNoLimit, 90, 1},
        {"8.8, 53.0, A, 300, 180/0", true, 300, 180, 1},
        {"8.8, 53.0, A, 301", false},
        {"8.8, 53.0, A, 50km", false},
        {"8.8, 53.0, A, 50, 360", true, 50, 360, 0},
        {"8.8, 53.0, A, 50, 360.0", true, 50, 360, 0},
        {"8.8, 53.0, A, 50, 180/360", true, 50, 180, 1},
        {"8.8, 53.0, A, 50, 361", false},
        {"8.8, 53.0, A, 50, 360.5", false},
        {"8.8, 53.0, A, 50, 90/180", false},
        {"8.8, 53.0, A, 50, 12.5", false},
        {"8.8, 53.0, A, 50, 180, x", false},
    };
    for (const auto& r : rows) {
        std::string line = r.line;
        Poi poi{};
        ASSERT_EQ(readPoiLine(line.data(), poi), r.valid) << r.line;
        if (r.valid) {
            EXPECT_EQ(std::vector<int>({poi.limitKmh, poi.heading, poi.bothWays}),
                      std::vector<int>({r.limit, r.heading, r.bothWays}))
                << r.line;
        }
    }
}

// A list written in place is taken once it has stood still: 5 s, or 30 s
// while its last line has no line end.
TEST(Reload, AChangedListIsTakenOnceItHasSettled)
{
    const struct {
        const char* legend;
        std::vector<std::pair<int, const char*>> steps;  // a look at this second, after writing this (or nothing)
        int takenAt;
    } rows[] = {
        {"whole", {{1, "8.8, 53.0, B\n"}, {5, nullptr}, {6, nullptr}}, 6},
        {"a writer pausing 3 s in a line, then done",
         {{1, "8.8, 53.0, A\n9.0, 5"}, {4, "8.8, 53.0, A\n9.0, 53.2, C\n"}, {8, nullptr}, {9, nullptr}}, 9},
        {"saved without a line end", {{1, "8.8, 53.0, B"}, {30, nullptr}, {31, nullptr}}, 31},
    };
    for (const auto& r : rows) {
        InTempDir dir;
        writeFile("pois.csv", "8.8, 53.0, A\n");
        PoiReload reload;
        reload.watch("pois.csv");
        int taken = 0;
        for (const auto& [second, text] : r.steps) {
            if (text) writeFile("pois.csv", text);
            if (reload.changeSettled(second) && !taken) taken = second;
        }
        EXPECT_EQ(taken, r.takenAt) << r.legend;
    }
}

// Two cameras on one pole listed the other way round after a reload: each
// keeps its own latches.
TEST(Reload, LatchesGoToTheSameCameraNotToTheSamePlace)
{
    std::vector<Poi> old = makePois({{8.8, 53.0, "Nord"}, {8.8, 53.0, "Sued"}}), fresh = makePois({{8.8, 53.0, "Sued"}, {8.8, 53.0, "Nord"}});
    old[0].heading = fresh[1].heading = 360;
    old[1].heading = fresh[0].heading = 180;
    old[0].alarm1Fired = 1;
    EXPECT_EQ(keepLatches(old.data(), 2, fresh.data(), 2), 1);
    EXPECT_EQ(fresh[0].alarm1Fired * 10 + fresh[1].alarm1Fired, 1);
}

// The same point twice: rounding carries the cosine past 1 here, where acos
// alone gives NaN, which neither the ordering nor the alarms can compare.
TEST(Distance, NoneOnTheSpot) { EXPECT_LT(greatCircleDistance(8.8, 8.8, 40.0047, 40.0047), 0.001); }

// Many ties and POIs right on the position: nearest first, latches moving
// with their POIs, the order confirmed; nothing before a position is known.
// A large list is ordered aside, the loop copying it a piece at a time:
// the same order and lines, once ready, with the latches that changed
// meanwhile.
TEST(Ordering, NearestFirstWithTiesLatchesAndTheLogLines)
{
    for (int count : {3000, 100000}) {
        Guarded g;
        g.guard.poiCount = count;
        g.guard.poiList = static_cast<Poi*>(calloc(static_cast<size_t>(count), sizeof(Poi)));
        srand(11);
        for (int i = 0; i < count; ++i) {
            Poi& p = g.guard.poiList[i];
            p.length = 9.0 + (rand() % 40) * 0.002;
            p.wide = 53.0 + (rand() % 40) * 0.002;
            p.alarm2Fired = i % 2;
            snprintf(p.name, sizeof p.name, "%d", i);
        }
        EXPECT_EQ(g.guard.sortPoiList(), 1);  // no position yet
        EXPECT_EQ(g.console.take(), "");
        placeAt(g.guard, 9.0, 53.0);
        EXPECT_EQ(g.guard.sortPoiList(), 0);
        bool aside = count >= kOrderAsideFrom;
        if (aside) {
            EXPECT_EQ(g.console.take(), "");
            g.guard.poiList[1].alarm4Fired = 1;  // both already copied
            g.guard.poiList[3].alarm2Fired = 0;
            for (int pass = 0; pass < 10; ++pass) g.guard.takeOrderedList();
        }
        EXPECT_EQ(g.console.take(), "\nSorting POI List lastPosLength=9.000000   lastPosWide=53.000000\n ... ready ... list is sorted\n");
        EXPECT_TRUE(isOrderedByDistance(g.guard.poiList, count, 9.0, 53.0));
        for (int i = 0; i < count; ++i) {
            int n = atoi(g.guard.poiList[i].name);
            ASSERT_EQ(g.guard.poiList[i].alarm2Fired, n % 2 && !(aside && n == 3)) << n;
            ASSERT_EQ(g.guard.poiList[i].alarm4Fired, aside && n == 1) << n;
        }
        EXPECT_EQ(g.guard.PoiListSorted, 1);
        g.guard.poiList[0].length = 10;  // out of order now
        EXPECT_EQ(g.guard.checkSorted(), 0);
    }
    Guarded g;
    placeAt(g.guard, 9.0, 53.0);
    for (int count : {1, 0}) {
        givePois(g.guard, {{9.0, 53.0, "only"}});
        g.guard.poiCount = count;
        EXPECT_EQ(g.guard.sortPoiList(), 0);
    }
}

}  // namespace
