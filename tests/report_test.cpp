// The drive's track as the program writes it and the report reads it back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "fake_platform.h"
#include "helpers.h"
#include "alarm/sections.h"
#include "log/track.h"
#include "report/drive.h"

namespace {

Drive readText(const std::string& text, bool* isTrack = nullptr)
{
    writeFile("cut.csv", text);
    Drive drive;
    FILE* in = fopen("cut.csv", "rb");
    bool track = readTrack(in, drive);
    fclose(in);
    if (isTrack) *isTrack = track;
    return drive;
}

}  // namespace

// A fix, the POI in reach (written once a file), its warning; past local
// midnight an estimate 1.5 s on, in the new day's file with the POI again,
// and a section; names with commas. Read back whole, as a Windows editor
// saves it (byte-order mark, CR LF), and cut at every byte, as a power cut may leave it: every whole
// line is a record, a broken one never is.
TEST(Track, WrittenReadBackAndCutAnywhere)
{
    InTempDir dir;
    fake::state.clockMs = 1700006399000LL;  // 2023-11-14 23:59:59 UTC
    {
        TrackLog track;
        track.start(0);
        track.fix(1700006399.5, 1000, 8.8, 53.07, 90, -1);
        for (int twice = 0; twice < 2; ++twice) track.poiInReach("Blitzer, Nord", 8.8, 53.074, 50);
        track.warning(1, 0.3004, "Blitzer, Nord", 8.8, 53.074, 50);
        fake::state.clockMs += 2000;
        track.estimate(2500, 8.8, 53.0704, 80, 0);
        track.poiInReach("Blitzer, Nord", 8.8, 53.074, 50);
        track.section(SectionEvent::kEntered, "A1 Nord", 0, 100, 0);
    }
    std::string first = readFile("logs/track_20231114.csv", true), second = readFile("logs/track_20231115.csv", true);
    std::string text = first + second.substr(second.find('\n') + 1);
    EXPECT_EQ(text.substr(text.find('\n') + 1),
              "2023-11-14T23:59:59.5Z,F,8.800000,53.070000,90.0,\n"
              "2023-11-14T23:59:59.5Z,P,8.800000,53.070000,50,8.800000,53.074000,Blitzer, Nord\n"
              "2023-11-14T23:59:59.5Z,W,8.800000,53.070000,1,0.300,50,8.800000,53.074000,Blitzer, Nord\n"
              "2023-11-15T00:00:01.0Z,E,8.800000,53.070400,80.0,0.0\n"
              "2023-11-15T00:00:01.0Z,P,8.800000,53.070400,50,8.800000,53.074000,Blitzer, Nord\n"
              "2023-11-15T00:00:01.0Z,S,8.800000,53.070400,entered,0,100,0.00,A1 Nord\n");

    Drive drive = readText(text);
    finishDrive(drive);
    ASSERT_EQ(drive.points.size(), 2u);
    ASSERT_EQ(drive.events.size(), 4u);
    EXPECT_EQ(drive.skipped, 0);
    EXPECT_DOUBLE_EQ(drive.points[1].utc - drive.points[0].utc, 1.5);
    EXPECT_TRUE(drive.points[1].estimated);
    EXPECT_EQ(drive.points[0].course, -1);
    EXPECT_NEAR(drive.points[1].km, 0.0445, 0.0005);
    EXPECT_EQ(drive.events[1].name, "Blitzer, Nord");
    EXPECT_EQ(drive.events[1].level, 1);
    EXPECT_EQ(drive.events[1].kmh, 90);
    EXPECT_EQ(drive.events[3].event, "entered");
    EXPECT_EQ(drive.events[3].kmh, 80);  // the estimate's, at the same moment

    std::string windows = "\xEF\xBB\xBF";  // saved again by a Windows editor
    for (char c : text) windows += c == '\n' ? std::string("\r\n") : std::string(1, c);
    Drive fromWindows = readText(windows);
    EXPECT_EQ(fromWindows.points.size() + fromWindows.events.size(), 6u);
    EXPECT_EQ(fromWindows.skipped, 0);

    for (size_t cut = 0; cut <= first.size(); ++cut) {
        std::string part = first.substr(0, cut);
        size_t lines = static_cast<size_t>(std::count(part.begin(), part.end(), '\n'));
        size_t whole = lines > 0 ? lines - 1 : 0;  // the first is the header
        bool isTrack = false;
        Drive d = readText(part, &isTrack);
        ASSERT_EQ(d.points.size() + d.events.size(), whole) << "cut at byte " << cut;
        ASSERT_TRUE(isTrack) << "cut at byte " << cut;
    }
}

// Days given in any order make one drive in time order; a gap starts a new
// segment; names are escaped, a Windows list's bytes become UTF-8.
TEST(Report, GpxInTimeOrderSegmentsAndEscapes)
{
    InTempDir dir;
    Drive drive = readText("2023-11-15T08:00:00.0Z,F,8.8,53.1,50.0,0.0\n"
                           "2023-11-15T08:00:00.0Z,W,8.8,53.1,2,0.15,0,8.8,53.101,<A&B> M\xfchle\n");
    Drive first = readText("2023-11-14T18:00:00.0Z,F,8.8,53.0,40.0,359.98\n2023-11-14T18:00:01.0Z,F,8.8,53.0001,,\n");
    drive.points.insert(drive.points.end(), first.points.begin(), first.points.end());
    finishDrive(drive);
    FILE* out = fopen("d.gpx", "wb");
    writeGpx(drive, out);
    fclose(out);
    std::string gpx = readFile("d.gpx");
    size_t a = gpx.find("18:00:00.0Z</time><ext"), b = gpx.find("18:00:01.0Z</time></trkpt>"), c = gpx.find("08:00:00.0Z</time><ext");
    EXPECT_TRUE(a < b && b < c && c != std::string::npos) << gpx;
    EXPECT_EQ(gpx.find("<trkseg>", b) < c, true);
    EXPECT_NE(gpx.find("<name>&lt;A&amp;B&gt; M\xc3\xbchle (second warning)</name>"), std::string::npos);
    EXPECT_NE(gpx.find("<gpxtpx:speed>11.11</gpxtpx:speed><gpxtpx:course>0.0</gpxtpx:course>"), std::string::npos);
}

// A name is UTF-8 when all of it is, in characters XML may hold; else it
// comes from a Windows list, in Windows-1252. Control characters go.
TEST(Report, NamesBecomeUtf8ThatXmlHolds)
{
    const struct {
        const char* what;
        std::string name, shown;
    } rows[] = {
        {"UTF-8, up to four bytes", "M\xc3\xbchle \xf0\x9f\x93\xb7", "M\xc3\xbchle \xf0\x9f\x93\xb7"},
        {"0x92, an apostrophe", "Peter\x92s", "Peter\xe2\x80\x99s"},
        {"an overlong form", "A\xc0\xaf", "A\xc3\x80\xc2\xaf"},
        {"a surrogate", "\xed\xa0\x80", "\xc3\xad\xc2\xa0\xe2\x82\xac"},
        {"beyond U+10FFFF; 0x90 unused", "\xf4\x90\x80\x80", "\xc3\xb4\xef\xbf\xbd\xe2\x82\xac\xe2\x82\xac"},
        {"U+FFFE", "\xef\xbf\xbe", "\xc3\xaf\xc2\xbf\xc2\xbe"},
        {"U+FFFF", "\xef\xbf\xbf", "\xc3\xaf\xc2\xbf\xc2\xbf"},
        {"a character cut off at the end", "Stra\xc3", "Stra\xc3\x83"},
        {"control characters", "A\x01\tB\x7f", "AB"},
        {"a control character in Windows-1252", "\x1f\x80", "\xe2\x82\xac"},
    };
    for (const auto& row : rows) EXPECT_EQ(utf8(row.name), row.shown) << row.what;
}
