#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "helpers.h"

namespace {

class Parser : public testing::Test {
protected:
    InTempDir dir;
    Log log;
    CPoiGuard guard;
    Console console;
    void SetUp() override { guard.log = &log; }
    int parse(const std::string& sentence)
    {
        std::vector<char> buffer(sentence.begin(), sentence.end());
        buffer.push_back('\0');
        return guard.parseSentence(buffer.data());
    }
};

struct SentenceCase {
    const char* legend;
    const char* sentence;
    int result;
    double length, wide;  // position afterwards (from none)
};

TEST_F(Parser, TableOfSentences)
{
    const SentenceCase cases[] = {
        {"the classic example", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", 0, 11.516667, 48.117300},
        {"status V is taken too", "$GPRMC,123519,V,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*7D", 0, 11.516667, 48.117300},
        {"south and west come out positive", "$GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W*65", 0, 11.516667, 48.117300},
        {"lower-case checksum", "$GPRMC,205246.00,A,4405.556,N,12118.398,W,000.0,000.0,090605,0.0,E*4d", 0, 121.306633, 44.092600},
        {"empty time field", "$GPRMC,,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*67", 0, 11.516667, 48.117300},
        {"no star", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", 1, 0, 0},
        {"star in front", "*GPRMC,123519,A,4807.038,N,01131.000,E", 1, 0, 0},
        {"wrong checksum: a garbled sentence", "$GPRMC,000344.03,A,4808.9992,N,4,02.3*05", 1, 0, 0},
        {"other talker", "$GNRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*74", 1, 0, 0},
        {"other sentence", "$GPGGA,175736,5125.8714,N,00524.2350,E,1,04,3.40,60.28,M,46.999,M,,*79", 1, 0, 0},
        {"lower-case name", "$gprmc,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*4A", 1, 0, 0},
        {"no fix at all", "$GPRMC,,V,,,,,,,,,,N*53", 1, 0, 0},
        {"cold start with empty coordinates", "$GPRMC,235947.000,V,,,,,0.00,0.00,060180,,,N*4C", 1, 0, 0},
        {"minus sign in latitude", "$GPRMC,123519,A,-4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*47", 1, 0, 0},
        {"letter in longitude", "$GPRMC,123519,A,4807.038,N,0113l.000,E,022.4,084.4,230394,003.1,W*37", 1, 0, 0},
        {"too short", "$GPR*", 1, 0, 0},
        {"line noise after the checksum", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A;*x*", 0, 11.516667, 48.117300},
        {"field longer than 63 characters",
         "$GPRMC,123519,A,4807.0380000000000000000000000000000000000000000000000000000000000000000,N,01131.000,E*3E", 1, 0, 0},
    };
    for (const SentenceCase& c : cases) {
        guard.setDefaults();
        EXPECT_EQ(parse(c.sentence), c.result) << c.legend << ": " << c.sentence;
        EXPECT_NEAR(guard.lastPosLength, c.length, 5e-7) << c.legend;
        EXPECT_NEAR(guard.lastPosWide, c.wide, 5e-7) << c.legend;
    }
}

TEST_F(Parser, PositionLineShowsTheFieldsAsReceivedAndBufferHasBlanks)
{
    char sentence[] = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";
    EXPECT_EQ(guard.parseSentence(sentence), 0);
    std::string out = console.take();
    EXPECT_EQ(out.substr(out.find("length=")), "length=01131.000 (11.516667) wide=4807.038 (48.117300) PoiListSorted=1\n");
    EXPECT_STREQ(sentence, "$GPRMC 123519 A 4807.038 N 01131.000 E 022.4 084.4 230394 003.1 W*6A");
}

std::string rmc(const char* lat, const char* lon)
{
    std::string body = std::string("GPRMC,120000,A,") + lat + ",N," + lon + ",E,0.0,0.0,010120,,";
    unsigned sum = 0;
    for (char c : body) sum ^= static_cast<unsigned char>(c);
    char tail[8];
    snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

TEST_F(Parser, JumpGuardAgainstTheLastAcceptedPosition)
{
    EXPECT_EQ(parse(rmc("4800.000", "00900.000")), 0);  // 48.0, 9.0
    EXPECT_EQ(parse(rmc("4800.000", "01000.060")), 1);  // 10.001: too far
    EXPECT_EQ(parse(rmc("4800.000", "01000.000")), 0);  // exactly 1.0: passes
    EXPECT_EQ(parse(rmc("4900.060", "01000.000")), 1);  // latitude too far
    EXPECT_EQ(parse(rmc("4900.000", "01000.000")), 0);
    EXPECT_NEAR(guard.lastPosWide, 49.0, 1e-9);

    guard.lastPosLength = 0.01;  // guard off at exactly 0.01
    EXPECT_EQ(parse(rmc("4900.000", "05000.000")), 0);
}

TEST_F(Parser, ColdStartDoesNotLockOutLaterPositions)
{
    EXPECT_EQ(parse("$GPRMC,235947.000,V,,,,,0.00,0.00,060180,,,N*4C"), 1);
    EXPECT_EQ(parse(rmc("5304.2198", "00907.6200")), 0);
    EXPECT_NEAR(guard.lastPosLength, 9.127, 1e-6);
    EXPECT_NEAR(guard.lastPosWide, 53.07033, 1e-6);
}

TEST_F(Parser, FirstOrderingIsRetriedUntilItSucceeds)
{
    givePois(guard, {{9.2, 53.1, "far"}, {9.13, 53.07, "near"}});
    EXPECT_EQ(parse(rmc("0000.000", "00907.6200")), 0);  // wide 0: nothing ordered yet
    EXPECT_EQ(guard.firstSortDone, 0);
    EXPECT_EQ(parse(rmc("5304.2198", "00907.6200")), 0);
    EXPECT_EQ(guard.firstSortDone, 1);
    EXPECT_STREQ(guard.poiList[0].name, "near");
    console.take();
    EXPECT_EQ(parse(rmc("5304.2198", "00907.6200")), 0);
    EXPECT_EQ(console.take().find("Sorting"), std::string::npos);  // once is enough
}

TEST(NmeaToDegrees, Examples)
{
    EXPECT_NEAR(CPoiGuard::nmeaToDegrees("4807.038"), 48.117300, 5e-7);
    EXPECT_NEAR(CPoiGuard::nmeaToDegrees("01131.000"), 11.516667, 5e-7);
    EXPECT_NEAR(CPoiGuard::nmeaToDegrees("5304.2198"), 53.070330, 5e-7);
    EXPECT_NEAR(CPoiGuard::nmeaToDegrees("00907.6200"), 9.127000, 5e-7);
    EXPECT_EQ(CPoiGuard::isNumber("1.2.3"), 1);
    EXPECT_EQ(CPoiGuard::isNumber(""), 0);
    EXPECT_EQ(CPoiGuard::isNumber("+1"), 0);
}

// Every capture goes through the receive loop's framing into the parser.
struct Replay {
    int accepted = 0;
    double firstLength = 0, firstWide = 0;
};

Replay replay(const std::string& file)
{
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    static ReceiveState st;
    memset(&st, 0, sizeof st);
    std::string bytes = readFile(file) + "$";
    Console console;
    guard.takeBytes(st, bytes.data(), static_cast<int>(bytes.size()));
    Replay r;
    std::string out = console.take();
    for (size_t at = out.find("length="); at != std::string::npos; at = out.find("length=", at + 1)) ++r.accepted;
    r.firstLength = guard.lastPosLength;
    r.firstWide = guard.lastPosWide;
    return r;
}

TEST(Captures, NoCaptureLocksTheParserOut)
{
    // Receivers that send valid $GPRMC fixes, with how many carry status A.
    const struct {
        const char* file;
        int goodFixes;
    } captures[] = {{"bu353s4.log", 25}, {"mt3339.log", 30}, {"haicom-305N.log", 68}, {"meinberg-gps164.log", 70},
                    {"nmea-rtk.log", 72}, {"gp-320fw-2019-04-07-coldboot.log", 1}, {"quectel-eg25-g.log", 23},
                    {"magellan-ec10.log", 21}, {"tomtom-mkII.log", 4}, {"telit-pls83-w.log", 10},
                    {"motorola-t805.log", 16}, {"bt451.log", 13}, {"ublox-lea-4h.log", 9}};
    for (const auto& c : captures) {
        InTempDir dir;
        Replay r = replay(std::string(NMEA_DIR) + "/" + c.file);
        EXPECT_GE(r.accepted, c.goodFixes) << c.file;
    }
}

TEST(Captures, EveryCaptureRunsThroughWithoutHarm)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(NMEA_DIR)) {
        if (entry.path().extension() != ".log") continue;
        InTempDir dir;
        replay(entry.path().string());
        ++files;
    }
    EXPECT_EQ(files, 30);
}

TEST(Captures, PositionsReadOffByHand)
{
    const struct {
        const char* file;
        double length, wide;  // last accepted position
    } captures[] = {
        {"meinberg-gps164.log", 12.012667, 47.7035},               // 4742.21,N,01200.76,E
        {"gp-320fw-2019-04-07-coldboot.log", 11.584663, 48.149988},  // the one fix among garbage
        {"ublox-lea-4h.log", 122.710177, 49.126136},               // 4907.56818,N,12242.61064,W
    };
    for (const auto& c : captures) {
        InTempDir dir;
        Replay r = replay(std::string(NMEA_DIR) + "/" + c.file);
        EXPECT_NEAR(r.firstLength, c.length, 5e-6) << c.file;
        EXPECT_NEAR(r.firstWide, c.wide, 5e-6) << c.file;
    }
}

}  // namespace
