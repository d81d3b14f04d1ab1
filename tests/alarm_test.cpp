#include <gtest/gtest.h>

#include "alarm/sounds.h"
#include "fake_platform.h"
#include "helpers.h"

namespace {

constexpr double kLength = 9.0;
constexpr double kWide = 53.0;

class Proximity : public testing::Test {
protected:
    InTempDir dir;
    Log log;
    CPoiGuard guard;
    Console console;
    void SetUp() override
    {
        guard.log = &log;
        guard.PoiListSorted = 1;
        fake::state.runThreads = false;
    }
    // Moves the position so that the first POI lies km away, and checks.
    void checkAt(double km) { guard.checkAlarms(kLength, wideNorthOf(kWide, -km)); }
};

const char* soundName(void (*p)(void*))
{
    if (p == playAlarm1) return "outer";
    if (p == playAlarm2) return "middle";
    if (p == playAlarm4) return "inner";
    return "other";
}

TEST_F(Proximity, ConsecutivePositions)
{
    const struct {
        const char* legend;
        std::vector<double> km;
        std::vector<const char*> sounds;  // "" for none
    } cases[] = {
        {"approach and leave", {1.0, 0.25, 0.12, 0.04, 0.04, 0.2}, {"", "outer", "middle", "inner", "", ""}},
        {"first seen inside the inner radius", {0.04, 0.04, 0.04, 0.04}, {"inner", "middle", "outer", ""}},
        {"first seen inside the middle radius", {0.1, 0.1, 0.04}, {"middle", "outer", "inner"}},
        {"leaving the outer radius re-arms", {0.25, 0.35, 0.25}, {"outer", "", "outer"}},
    };
    for (const auto& c : cases) {
        givePois(guard, {{kLength, kWide, "P"}});
        for (size_t k = 0; k < c.km.size(); ++k) {
            fake::state.threads.clear();
            checkAt(c.km[k]);
            std::string heard = fake::state.threads.empty() ? "" : soundName(fake::state.threads[0]);
            EXPECT_LE(fake::state.threads.size(), 1u);
            EXPECT_EQ(heard, c.sounds[k]) << c.legend << ", position " << k;
        }
    }
}

TEST_F(Proximity, ExactlyOnTheOuterRadiusClearsNothing)
{
    // Radii chosen as the exact distances the formula gives, so the
    // comparison is tested, not the rounding.
    givePois(guard, {{kLength, kWide, "P"}});
    double wideAt = wideNorthOf(kWide, -0.25);
    guard.checkAlarms(kLength, wideAt);
    ASSERT_EQ(guard.poiList[0].alarm1Fired, 1);
    double edge = CPoiGuard::greatCircleDistance(kLength, kLength, wideNorthOf(kWide, -0.3), kWide);
    guard.treshold_enableAlarm_1 = edge;
    fake::state.threads.clear();
    guard.checkAlarms(kLength, wideNorthOf(kWide, -0.3));
    EXPECT_EQ(guard.poiList[0].alarm1Fired, 1);
    EXPECT_TRUE(fake::state.threads.empty());
}

TEST_F(Proximity, WalkStopsAtTheFirstPoiBeyond30Km)
{
    givePois(guard, {{kLength, wideNorthOf(kWide, 0.2), "A"}, {kLength, wideNorthOf(kWide, 12), "B"},
                     {kLength, wideNorthOf(kWide, 31), "C"}, {kLength, kWide, "behind"}});
    guard.poiList[3].alarm1Fired = 1;
    guard.checkAlarms(kLength, kWide);
    std::string out = console.take();
    EXPECT_EQ(out.substr(0, out.find('\n') + 1), "nearest POI: name=         A 0.200000 km    length=9.000000 wide=53.001799 \n");
    EXPECT_NE(out.find("POI in the near 0.200000 km    length=9.000000 wide=53.001799 name=A\n"), std::string::npos);
    EXPECT_NE(out.find("name=         C 31.000000 km"), std::string::npos);
    EXPECT_EQ(out.substr(out.size() - 33), "2 POIs are in the radius of 30km\n");
    EXPECT_EQ(out.find("behind"), std::string::npos);
    EXPECT_EQ(fake::state.threads.size(), 1u);
    EXPECT_EQ(guard.poiList[3].alarm1Fired, 1);  // not examined, latch kept
}

TEST_F(Proximity, TenNearestLinesForTwelvePois)
{
    givePois(guard, {});
    free(guard.poiList);
    guard.poiList = static_cast<Poi*>(calloc(12, sizeof(Poi)));
    guard.poiCount = 12;
    for (int i = 0; i < 12; ++i) {
        guard.poiList[i].length = kLength;
        guard.poiList[i].wide = wideNorthOf(kWide, 1.0 + i);
    }
    guard.checkAlarms(kLength, kWide);
    std::string out = console.take();
    int lines = 0;
    for (size_t at = out.find("nearest POI"); at != std::string::npos; at = out.find("nearest POI", at + 1)) ++lines;
    EXPECT_EQ(lines, 10);
    EXPECT_EQ(out.find("radius of 30km"), std::string::npos);
}

TEST_F(Proximity, SilentUntilTheListIsOrderedAndTwoPoisBothSound)
{
    givePois(guard, {{kLength, kWide, "A"}, {kLength, kWide, "B"}});
    guard.PoiListSorted = 0;
    guard.checkAlarms(kLength, kWide);
    EXPECT_EQ(console.take(), "");
    EXPECT_TRUE(fake::state.threads.empty());
    guard.PoiListSorted = 1;
    guard.checkAlarms(kLength, kWide);
    ASSERT_EQ(fake::state.threads.size(), 2u);
    EXPECT_EQ(fake::state.threads[0], playAlarm4);
    EXPECT_EQ(fake::state.threads[1], playAlarm4);
}

TEST(Sounds, EachPatternsCallsAndPauses)
{
    InTempDir dir;
    const std::string ding = "PlaySoundA sounds\\ding.wav";
    const struct {
        void (*pattern)(void*);
        std::vector<std::string> calls;
    } cases[] = {
        {playFirstData, {ding, "Sleep 1000", ding, "Sleep 1000"}},
        {playAlarm1, {ding}},
        {playAlarm2, {ding, "Sleep 500", ding}},
        {playAlarm4, {ding, "Sleep 100", ding, "Sleep 100", ding, "Sleep 100", ding, "Sleep 100",
                      "PlaySoundA sounds\\Achtung.wav"}},
    };
    for (const auto& c : cases) {
        fake::reset();
        c.pattern(nullptr);
        EXPECT_EQ(fake::state.calls, c.calls);
    }
}

}  // namespace
