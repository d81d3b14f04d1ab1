// CPoiGuard, the hub: what it makes of a fix, a jump, the list's order and
// a walk's findings, as printed; and every capture replayed through it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "alarm/sounds.h"
#include "fake_platform.h"
#include "helpers.h"

namespace {

constexpr double kLength = 9.0;
constexpr double kWide = 53.0;

int parse(CPoiGuard& guard, std::string sentence) { return guard.parseSentence(sentence.data()); }

TEST(Guard, PositionLineShowsTheFieldsAsReceivedAndBufferGetsBlanks)
{
    Guarded g;
    char sentence[] = "$GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W*65";
    EXPECT_EQ(g.guard.parseSentence(sentence), 0);
    std::string out = g.console.take();
    EXPECT_EQ(out.substr(out.find("length=")), "length=01131.000 (-11.516667) wide=4807.038 (-48.117300) PoiListSorted=1\n");
    EXPECT_STREQ(sentence, "$GPRMC 123519 A 4807.038 S 01131.000 W 022.4 084.4 230394 003.1 W*65");
    EXPECT_NEAR(g.guard.rules.kmh(), 22.4 * 1.852, 1e-9);  // the speed field reaches the warning rules
}

// A jump followed once five fixes agree: the list ordered around the new
// place and its POIs checked there, as at the first fix.
TEST(Guard, AJumpFollowedIsOrderedAroundAndChecked)
{
    Guarded g;
    fake::state.runThreads = false;
    givePois(g.guard, {{0.0, 0.0, "Greenwich"}, {9.0, 53.0, "Bremen"}});
    g.guard.checkAlarms(0.0, 0.0);  // before the list is ordered: nothing
    EXPECT_EQ(g.console.take(), "");
    EXPECT_EQ(parse(g.guard, rmc("0000.000", "00000.000")), 0);
    EXPECT_NE(g.console.take().find("POI in the near 0.000000"), std::string::npos);
    for (const char* time : {"120001", "120002", "120003", "120004", "120005"})
        parse(g.guard, rmc("5300.000", "00900.000", "N,E", "GP", time));
    EXPECT_NE(g.console.take().find(" km, 5 fixes in a row agree: following it\n\nSorting POI List"), std::string::npos);
    EXPECT_STREQ(g.guard.poiList[0].name, "Bremen");
    EXPECT_EQ(fake::state.threads, (std::vector<void (*)(void*)>{playAlarm4, playAlarm4}));
}

// Ordered at the start, the car 15.96 km on, 40 m from a camera: the POI
// 14.5 km behind the start, first in that order, would end the walk at 30 km
// before the camera were the list not ordered again on the way.
TEST(Guard, FarFromWhereTheListWasOrderedItIsOrderedAgain)
{
    Guarded g;
    fake::state.runThreads = false;
    givePois(g.guard, {{9.0, wideNorthOf(53.0, -14.5), "behind"}, {9.0, wideNorthOf(53.0, 16.0), "camera"}});
    char field[32];
    for (double km : {0.0, 4.9, 15.96}) {
        double wide = wideNorthOf(53.0, km);
        snprintf(field, sizeof field, "%02d%07.4f", static_cast<int>(wide), (wide - static_cast<int>(wide)) * 60);
        parse(g.guard, rmc(field, "00900.000"));
    }
    EXPECT_EQ(g.console.take().find("lastPosWide=53.044"), std::string::npos);  // not ordered again at 4.9 km
    EXPECT_EQ(fake::state.threads, std::vector<void (*)(void*)>{playAlarm4});
}

// The walk from the nearest POI, as the program shows it: ten nearest-POI
// lines at most; every POI in range sounds, two inner alarms in one pass; it
// stops at the first POI beyond 30 km and leaves the rest alone.
TEST(Guard, WalkOfTheOrderedList)
{
    Guarded g;
    fake::state.runThreads = false;
    givePois(g.guard, {{kLength, kWide, "A"}, {kLength, wideNorthOf(kWide, 0.2), "B"}, {kLength, kWide, "C"}, {9.1, 53, "d"},
                       {9.1, 53, "e"}, {9.1, 53, "f"}, {9.1, 53, "g"}, {9.1, 53, "h"}, {9.1, 53, "i"}, {9.1, 53, "j"},
                       {9.1, 53, "k"}, {kLength, wideNorthOf(kWide, 31), "far"}, {kLength, kWide, "behind"}});
    g.guard.PoiListSorted = 1;
    g.guard.checkAlarms(kLength, kWide);
    std::string out = g.console.take();
    EXPECT_EQ(out.substr(0, out.find("nearest POI: name=         C")),
              "nearest POI: name=         A 0.000000 km    length=9.000000 wide=53.000000 \n"
              "POI in the near 0.000000 km    length=9.000000 wide=53.000000 name=A\n"
              "nearest POI: name=         B 0.200000 km    length=9.000000 wide=53.001799 \n"
              "POI in the near 0.200000 km    length=9.000000 wide=53.001799 name=B\n");
    int lines = 0;
    for (size_t at = out.find("nearest POI"); at != std::string::npos; at = out.find("nearest POI", at + 1)) ++lines;
    EXPECT_EQ(lines, 10);
    EXPECT_EQ(out.substr(out.size() - 34), "11 POIs are in the radius of 30km\n");
    EXPECT_EQ(fake::state.threads, (std::vector<void (*)(void*)>{playAlarm4, playAlarm1, playAlarm4}));
    EXPECT_EQ(g.guard.poiList[12].alarm4Fired, 0);  // behind the first POI beyond 30 km: not examined
    g.guard.rules.seconds = 15;  // at 130 km/h, a camera's near line with its limit and the radius grown
    g.guard.rules.moving(130, 0);
    g.guard.poiList[1].limitKmh = 100;
    g.guard.checkAlarms(kLength, wideNorthOf(kWide, -0.3));
    EXPECT_NE(g.console.take().find("name=B (limit 100 km/h) (130 km/h: radius 0.541667 km)\n"), std::string::npos);
}

// Every capture replayed through the receive loop's framing into the parser;
// what the program prints stands beside the capture (.chk), its positions
// checked by hand against the capture's valid RMC sentences.
TEST(Captures, EachReplaysToTheOutputBesideIt)
{
    for (const auto& entry : std::filesystem::directory_iterator(NMEA_DIR)) {
        std::filesystem::path capture = entry.path(), expected = capture;
        if (capture.extension() != ".log") continue;
        Guarded g;
        static ReceiveState st;
        memset(&st, 0, sizeof st);
        std::string bytes = readFile(capture.string()) + "$";
        g.guard.takeBytes(st, bytes.data(), static_cast<int>(bytes.size()));
        std::string out = g.console.take();
        EXPECT_EQ(out, readFile(expected.replace_extension(".chk").string())) << capture.filename();
    }
}

}  // namespace
