#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "alarm/sounds.h"
#include "fake_platform.h"
#include "gps/coast.h"
#include "gps/position.h"
#include "gps/rmc.h"
#include "helpers.h"
#include "geo/geo.h"
#include "tools/nmea_out.h"

namespace {

std::string framed(const std::string& body) { return withChecksum(body).substr(0, withChecksum(body).size() - 2); }

// A sentence whose checksum ends in 0, written with the digit before it one
// less and 'G' for the 0: read as hex digits of 16 values, it would match.
std::string notHex(const std::string& tail)
{
    for (int time = 0;; ++time) {
        std::string body = "GPRMC," + std::to_string(time) + tail;
        unsigned sum = 0;
        for (char c : body) sum ^= static_cast<unsigned char>(c);
        if (sum % 16 == 0 && sum >= 16) return "$" + body + "*" + "0123456789ABCDEF"[sum / 16 - 1] + "G";
    }
}

TEST(Rmc, TableOfSentences)
{
    const struct {
        const char* legend;
        std::string sentence;
        bool taken;
        double length = 0, wide = 0;
    } cases[] = {
        {"the classic example", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", true, 11.516667, 48.1173},
        {"south and west are negative", "$GPRMC,123519,A,4807.038,S,01131.000,W,022.4,084.4,230394,003.1,W*65", true,
         -11.516667, -48.1173},
        {"any talker", framed("GNRMC,1,A,4807.038,N,01131.000,E,,,,,,A"), true, 11.516667, 48.1173},
        {"seven fields and blanks around them", framed("GPRMC,1, A ,4807.038 , N,01131.000,E"), true, 11.516667, 48.1173},
        {"on the equator and the meridian", framed("INRMC,1,A,0000.000,N,00000.000,E,,,,,,D"), true, 0, 0},
        {"lower-case checksum", "$GPRMC,205246.00,A,4405.556,N,12118.398,W,000.0,000.0,090605,0.0,E*4d", true, -121.306633, 44.0926},
        {"line noise after the checksum", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A;*x*", true,
         11.516667, 48.1173},
        {"proprietary, though the letters fit", framed("PGRMC,1,A,4807.038,N,01131.000,E,,,,,,A"), false},
        {"a talker is two capitals", framed("G1RMC,1,A,4807.038,N,01131.000,E,,,,,,A"), false},
        {"lower-case name", framed("gprmc,1,A,4807.038,N,01131.000,E,,,,,,A"), false},
        {"status V, with coordinates", framed("GPRMC,1,V,4807.038,N,01131.000,E,,,,,,A"), false},
        {"mode N: the data are not valid", framed("GPRMC,1,A,4807.038,N,01131.000,E,,,,,,N"), false},
        {"no hemisphere letter", framed("GPRMC,1,A,4807.038,,01131.000,E,,,,,,A"), false},
        {"no star", "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W", false},
        {"a garbled sentence: wrong checksum", "$GPRMC,000344.03,A,4808.9992,N,4,02.3*05", false},
        {"a checksum digit that is not hex", notHex(",A,4807.038,N,01131.000,E"), false},
        {"cold start: empty coordinates keep their places", "$GPRMC,235947.000,V,,,,,0.00,0.00,060180,,,N*4C", false},
        {"minus sign", "$GPRMC,123519,A,-4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*47", false},
        {"a field of 63 characters", rmc(("4807.038" + std::string(55, '0')).c_str(), "01131.000"), true, 11.516667, 48.1173},
        {"a field of 64 characters", rmc(("4807.038" + std::string(56, '0')).c_str(), "01131.000"), false},
    };
    for (const auto& c : cases) {
        std::string sentence = c.sentence;
        RmcFix fix{};
        EXPECT_EQ(readRmcSentence(sentence.data(), fix), c.taken) << c.legend;
        EXPECT_NEAR(c.taken ? fix.length : 0, c.length, 5e-7) << c.legend;
        EXPECT_NEAR(c.taken ? fix.wide : 0, c.wide, 5e-7) << c.legend;
    }
}

// The date field and the time as UTC seconds, for the track: leap days,
// the century the two digits mean, and what is no date.
TEST(Parser, DateAndTimeAsUtcSeconds)
{
    const struct {
        const char* date;
        const char* time;
        double utc;
    } rows[] = {
        {"230394", "123519", 764426119},   {"290224", "000000.5", 1709164800.5}, {"311299", "235959", 946684799},
        {"010379", "000000", 3444854400}, {"", "123519", -1},                  {"230394", "", -1},
        {"320194", "123519", -1},          {"231394", "123519", -1},            {"23039", "123519", -1},
    };
    for (const auto& r : rows) EXPECT_EQ(utcSeconds(r.date, r.time), r.utc) << r.date << " " << r.time;
}

// Consecutive fixes from no position: the jump guard's verdict on each,
// judged against the last place taken or followed.
TEST(PositionTrack, VerdictsOfConsecutiveFixes)
{
    using V = PositionTrack;
    const struct {
        const char* legend;
        const char* talker;
        const char* time;
        double length, wide;
        PositionTrack::Verdict verdict;
    } steps[] = {
        {"the first fix, on the equator at Greenwich", "GP", "120000", 0, 0, V::kTake},
        {"1.001 degrees away", "GP", "120000", 0, 1.001, V::kRefuse},
        {"exactly 1 degree away", "GP", "120000", -1, 0, V::kTake},
        {"reported again by a second talker", "GA", "120000", -1, 0, V::kSameEpoch},
        {"the same time from the same talker is a new fix", "GP", "120000", -1, 0, V::kTake},
        {"a wild fix", "GP", "120001", 8, 50, V::kRefuse},
        {"back near the last taken", "GP", "120002", -1, 0, V::kTake},
        {"a new place, 1 of 5", "GP", "120003", 9, 53, V::kRefuse},
        {"2 of 5", "GP", "120004", 9, 53.001, V::kRefuse},
        {"3 of 5", "GP", "120005", 9, 53.002, V::kRefuse},
        {"4 of 5", "GP", "120006", 9, 53.003, V::kRefuse},
        {"5 of 5: followed", "GP", "120007", 9, 53.004, V::kFollow},
        {"179.9 E", "GP", "120008", 179.9, -17, V::kRefuse},
        {"agreeing across the date line", "GP", "120009", -179.9, -17, V::kRefuse},
    };
    PositionTrack track;
    Place last{0, 0};
    for (const auto& s : steps) {
        RmcFix fix{};
        snprintf(fix.talker, sizeof fix.talker, "%s", s.talker);
        snprintf(fix.time, sizeof fix.time, "%s", s.time);
        fix.length = s.length;
        fix.wide = s.wide;
        EXPECT_EQ(track.judge(fix, last.length, last.wide), s.verdict) << s.legend;
        if (s.verdict == V::kTake || s.verdict == V::kFollow) last = {s.length, s.wide};
    }
}

// Through a gap in the fixes, from a fix at (9, 53) at 72 km/h: what is due
// at each moment (ms after the fix), and where the estimate lies (km north
// and east of the fix).
TEST(Coast, EstimatesThroughAGapAndWhatEndsThem)
{
    const struct {
        const char* legend;
        double kmh, course;
        int seconds;                      // coastSeconds
        std::vector<long long> moments;   // the last one checked
        Coast::Step step;
        double north = 0, east = 0;
    } rows[] = {
        {"a fix not missed yet", 72, 0, 60, {1499}, Coast::kNothing},
        {"straight on: 1.5 s north at 72 km/h", 72, 0, 60, {1500}, Coast::kEstimated, 0.030},
        {"along the course of the last fix, after a turn", 72, 90, 60, {1500}, Coast::kEstimated, 0, 0.030},
        {"once a second", 72, 0, 60, {1500, 2499}, Coast::kNothing},
        {"a kilometre on", 72, 0, 60, {1500, 50000}, Coast::kEstimated, 1.0},
        {"standing still: never", 9.9, 0, 60, {1500}, Coast::kNothing},
        {"no course: never", 72, -1, 60, {1500}, Coast::kNothing},
        {"without coastSeconds: never", 72, 0, 0, {1500}, Coast::kNothing},
        {"coastSeconds passed: said once", 72, 0, 5, {1500, 5001}, Coast::kGaveUp},
        {"then nothing more", 72, 0, 5, {1500, 5001, 6000}, Coast::kNothing},
    };
    for (const auto& r : rows) {
        Coast coast;
        coast.configure(r.seconds);
        coast.fix({9.0, 53.0}, r.kmh, r.course, 0);
        Place at{0, 0};
        Coast::Step step = Coast::kNothing;
        for (long long ms : r.moments) step = coast.step(ms, at);
        EXPECT_EQ(step, r.step) << r.legend;
        if (step == Coast::kEstimated) {
            EXPECT_NEAR(greatCircleDistance(9.0, 9.0, 53.0, at.wide), r.north, 1e-4) << r.legend;
            EXPECT_NEAR(greatCircleDistance(9.0, at.length, 53.0, 53.0), r.east, 1e-4) << r.legend;
        }
    }
    // A good fix ends the estimates and tells the estimate's error; the port
    // closing ends them until the next fix.
    Coast coast;
    coast.configure(60);
    coast.fix({9.0, 53.0}, 72, 0, 0);
    EXPECT_EQ(coast.fix({9.0, 53.0}, 72, 0, 1000), -1);  // no estimate before it
    Place at;
    coast.step(2500, at);
    EXPECT_NEAR(coast.fix({9.0, wideNorthOf(53.0, 0.05)}, 72, 0, 3500), 0.0, 1e-3);
    coast.stop();
    EXPECT_EQ(coast.step(9000, at), Coast::kNothing);
}

}  // namespace
