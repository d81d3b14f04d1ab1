#include <gtest/gtest.h>

#include "alarm/sounds.h"
#include "fake_platform.h"
#include "helpers.h"

namespace {

constexpr double kLength = 9.0;
constexpr double kWide = 53.0;

const char* level(void (*p)(void*)) { return p == playAlarm1 ? "outer" : p == playAlarm2 ? "middle" : p == playAlarm4 ? "inner" : "?"; }

TEST(Proximity, ConsecutivePositions)
{
    const struct {
        std::vector<double> km;  // distance of the one POI at each position
        std::vector<const char*> sounds;
    } cases[] = {
        {{1.0, 0.25, 0.12, 0.04, 0.04, 0.2}, {"", "outer", "middle", "inner", "", ""}},
        {{0.04, 0.04, 0.04, 0.04}, {"inner", "middle", "outer", ""}},
        {{0.1, 0.1, 0.04}, {"middle", "outer", "inner"}},
        {{0.25, 0.35, 0.25}, {"outer", "", "outer"}},
    };
    for (const auto& c : cases) {
        Guarded g;
        g.guard.PoiListSorted = 1;
        fake::state.runThreads = false;
        givePois(g.guard, {{kLength, kWide, "P"}});
        for (size_t k = 0; k < c.km.size(); ++k) {
            fake::state.threads.clear();
            g.guard.checkAlarms(kLength, wideNorthOf(kWide, -c.km[k]));
            ASSERT_LE(fake::state.threads.size(), 1u);
            EXPECT_STREQ(fake::state.threads.empty() ? "" : level(fake::state.threads[0]), c.sounds[k]) << "position " << k;
        }
    }
}

TEST(Proximity, WalkStopsAtTheFirstPoiBeyond30Km)
{
    Guarded g;
    g.guard.PoiListSorted = 1;
    fake::state.runThreads = false;
    givePois(g.guard, {{kLength, wideNorthOf(kWide, 0.2), "A"}, {kLength, wideNorthOf(kWide, 12), "B"},
                       {kLength, wideNorthOf(kWide, 31), "C"}, {kLength, kWide, "behind"}});
    g.guard.poiList[3].alarm1Fired = 1;
    g.guard.checkAlarms(kLength, kWide);
    std::string out = g.console.take();
    EXPECT_EQ(out.substr(0, out.find("name=         B")),
              "nearest POI: name=         A 0.200000 km    length=9.000000 wide=53.001799 \n"
              "POI in the near 0.200000 km    length=9.000000 wide=53.001799 name=A\n"
              "nearest POI: ");
    EXPECT_EQ(out.substr(out.find("nearest POI: name=         C")),
              "nearest POI: name=         C 31.000000 km    length=9.000000 wide=53.278790 \n"
              "2 POIs are in the radius of 30km\n");
    ASSERT_EQ(fake::state.threads.size(), 1u);
    EXPECT_EQ(g.guard.poiList[3].alarm1Fired, 1);  // not examined
}

TEST(Proximity, SilentUntilOrderedTenLinesAtMostTwoInnerAlarmsInOnePass)
{
    Guarded g;
    fake::state.runThreads = false;
    givePois(g.guard, {{kLength, kWide, "A"}, {kLength, kWide, "B"}, {9.1, 53, "c"}, {9.1, 53, "d"}, {9.1, 53, "e"}, {9.1, 53, "f"},
                       {9.1, 53, "g"}, {9.1, 53, "h"}, {9.1, 53, "i"}, {9.1, 53, "j"}, {9.1, 53, "k"}, {9.1, 53, "l"}});
    g.guard.checkAlarms(kLength, kWide);
    EXPECT_EQ(g.console.take(), "");
    g.guard.PoiListSorted = 1;
    g.guard.checkAlarms(kLength, kWide);
    std::string out = g.console.take();
    int lines = 0;
    for (size_t at = out.find("nearest POI"); at != std::string::npos; at = out.find("nearest POI", at + 1)) ++lines;
    EXPECT_EQ(lines, 10);
    EXPECT_EQ(out.find("radius of 30km"), std::string::npos);
    EXPECT_EQ(fake::state.threads, (std::vector<void (*)(void*)>{playAlarm4, playAlarm4}));
}

}  // namespace
