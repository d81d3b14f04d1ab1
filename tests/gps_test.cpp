#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "helpers.h"

namespace {

int parse(CPoiGuard& guard, const std::string& sentence)
{
    std::vector<char> buffer(sentence.begin(), sentence.end());
    buffer.push_back('\0');
    return guard.parseSentence(buffer.data());
}

TEST(Parser, TableOfSentencesFromNoPosition)
{
    const struct {
        const char* legend;
        std::string sentence;
        double length, wide;  // 0, 0: rejected
    } cases[] = {
        {"the classic example", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", 11.516667, 48.1173},
        {"south and west come out positive", "$GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W*65",
         11.516667, 48.1173},
        {"lower-case checksum", "$GPRMC,205246.00,A,4405.556,N,12118.398,W,000.0,000.0,090605,0.0,E*4d", 121.306633, 44.0926},
        {"empty time field", "$GPRMC,,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*67", 11.516667, 48.1173},
        {"line noise after the checksum", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A;*x*",
         11.516667, 48.1173},
        {"no star", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", 0, 0},
        {"a garbled sentence: wrong checksum", "$GPRMC,000344.03,A,4808.9992,N,4,02.3*05", 0, 0},
        {"other talker", "$GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*74", 0, 0},
        {"no fix", "$GPRMC,,V,,,,,,,,,,N*53", 0, 0},
        {"cold start: empty coordinates keep their places", "$GPRMC,235947.000,V,,,,,0.00,0.00,060180,,,N*4C", 0, 0},
        {"minus sign", "$GPRMC,123519,A,-4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*47", 0, 0},
        {"letter", "$GPRMC,123519,A,4807.038,N,0113l.000,E,022.4,084.4,230394,003.1,W*37", 0, 0},
        {"a field longer than 63 characters", rmc(("4807." + std::string(70, '0')).c_str(), "01131.000"), 0, 0},
    };
    for (const auto& c : cases) {
        Guarded g;
        EXPECT_EQ(parse(g.guard, c.sentence), c.length == 0 ? 1 : 0) << c.legend;
        EXPECT_NEAR(g.guard.lastPosLength, c.length, 5e-7) << c.legend;
        EXPECT_NEAR(g.guard.lastPosWide, c.wide, 5e-7) << c.legend;
    }
}

// Coordinates are read with from_chars where it applies and atof elsewhere;
// either way the value must be atof's to the last bit.
TEST(Parser, CoordinatesAreReadExactlyAsAtofReadsThem)
{
    auto viaAtof = [](const char* token) {
        double d = atof(token) / 100.0;
        double degrees = floor(d);
        return degrees + (100.0 * (d - degrees)) / 60.0;
    };
    std::vector<std::string> tokens = {"", ".", "7.", "-0", "+12", " 12", "1e5", "12abc", "0x1A", "1e400", "1e-400",
                                       "inf", "nan", "4807.03800000000000000000000000000001", "1.2.3"};
    std::mt19937 random(3);
    for (int i = 0; i < 2000; ++i) tokens.push_back(std::to_string(random() % 18000) + "." + std::to_string(random() % 10000000));
    for (const std::string& t : tokens) {
        double got = CPoiGuard::nmeaToDegrees(t.c_str()), expected = viaAtof(t.c_str());
        EXPECT_EQ(memcmp(&got, &expected, sizeof got), 0) << "\"" << t << "\": " << got << " against " << expected;
    }
}

TEST(Parser, PositionLineShowsTheFieldsAsReceivedAndBufferGetsBlanks)
{
    Guarded g;
    char sentence[] = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
    EXPECT_EQ(g.guard.parseSentence(sentence), 0);
    std::string out = g.console.take();
    EXPECT_EQ(out.substr(out.find("length=")), "length=01131.000 (11.516667) wide=4807.038 (48.117300) PoiListSorted=1\n");
    EXPECT_STREQ(sentence, "$GPRMC 123519 A 4807.038 N 01131.000 E 022.4 084.4 230394 003.1 W*6A");
}

TEST(Parser, JumpGuardColdStartAndTheFirstOrdering)
{
    Guarded g;
    givePois(g.guard, {{9.2, 53.1, "far"}, {9.13, 53.07, "near"}});
    EXPECT_EQ(parse(g.guard, "$GPRMC,235947.000,V,,,,,0.00,0.00,060180,,,N*4C"), 1);  // no lock-out
    EXPECT_EQ(parse(g.guard, rmc("0000.000", "00900.000")), 0);  // latitude 0: nothing ordered yet
    EXPECT_EQ(g.guard.firstSortDone, 0);
    EXPECT_EQ(parse(g.guard, rmc("5300.000", "01000.060")), 1);  // 1.001 degrees from 9.0
    EXPECT_EQ(parse(g.guard, rmc("5300.000", "01000.000")), 0);  // exactly 1.0 passes; the guard is off for latitude 0
    EXPECT_EQ(g.guard.firstSortDone, 1);
    EXPECT_STREQ(g.guard.poiList[0].name, "far");
    EXPECT_EQ(parse(g.guard, rmc("5400.060", "01000.000")), 1);
    g.console.take();
    EXPECT_EQ(parse(g.guard, rmc("5304.2198", "00907.6200")), 0);
    EXPECT_EQ(g.console.take().find("Sorting"), std::string::npos);  // once is enough
    EXPECT_NEAR(g.guard.lastPosWide, 53.07033, 1e-9);
}

// Every capture goes through the receive loop's framing into the parser.
std::pair<int, double> replay(const std::filesystem::path& file)
{
    Guarded g;
    static ReceiveState st;
    memset(&st, 0, sizeof st);
    std::string bytes = readFile(file.string()) + "$";
    g.guard.takeBytes(st, bytes.data(), static_cast<int>(bytes.size()));
    std::string out = g.console.take();
    int accepted = 0;
    for (size_t at = out.find("length="); at != std::string::npos; at = out.find("length=", at + 1)) ++accepted;
    return {accepted, g.guard.lastPosLength * 1000 + g.guard.lastPosWide};
}

TEST(Captures, EveryCaptureRunsThroughAndNoneLocksTheParserOut)
{
    const struct {
        const char* file;
        int goodFixes;      // $GPRMC with status A
        double lastLength;  // read off by hand, 0 where not checked
        double lastWide;
    } captures[] = {{"meinberg-gps164.log", 70, 12.012667, 47.7035},  // 4742.21,N,01200.76,E
                    {"gp-320fw-2019-04-07-coldboot.log", 1, 11.584663, 48.149988},
                    {"ublox-lea-4h.log", 9, 122.710177, 49.126136},  // 4907.56818,N,12242.61064,W
                    {"bu353s4.log", 25, 0, 0},     {"haicom-305N.log", 68, 0, 0},    {"nmea-rtk.log", 72, 0, 0},
                    {"quectel-eg25-g.log", 23, 0, 0}, {"magellan-ec10.log", 21, 0, 0}, {"tomtom-mkII.log", 4, 0, 0},
                    {"telit-pls83-w.log", 10, 0, 0},  {"bt451.log", 13, 0, 0}};
    for (const auto& c : captures) {
        auto [accepted, position] = replay(std::filesystem::path(NMEA_DIR) / c.file);
        EXPECT_GE(accepted, c.goodFixes) << c.file;
        if (c.lastLength) {
            EXPECT_NEAR(position, c.lastLength * 1000 + c.lastWide, 5e-3) << c.file;
        }
    }
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NMEA_DIR))
        if (entry.path().extension() == ".log") files += (replay(entry.path()), 1);
    EXPECT_EQ(files, 30);
}

}  // namespace
