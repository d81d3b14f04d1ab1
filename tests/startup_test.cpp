#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <filesystem>

#include "fake_platform.h"
#include "helpers.h"

namespace {

// The fake clock starts at 2023-11-14 22:13:20.
const std::string kStars = "*****************************************************************\n";
const std::string kStart = kStars + "Programm started at 20231114 221320\n";
const std::string kExit = "Programm exited at 20231114 221320\n" + kStars;

std::string settingLines(int startProgram, int comPort, const char* r1 = "0.300000", const char* r2 = "0.150000")
{
    return "startProgram=" + std::to_string(startProgram) + "\ncomPort=" + std::to_string(comPort) +
           "\ntreshold_enableAlarm_1=" + r1 + "\ntreshold_enableAlarm_2=" + r2 +
           "\ntreshold_enableAlarm_4=0.050000\nfullOutput=0\nupdateInterval=300\nmaxTimeNoData=30\n"
           "poiFile=vodudo\\gefahr.csv\nwriteLogFile=0\n";
}

std::string runWith(const char* config)
{
    if (config) writeFile("config.txt", config);
    Log log;
    CPoiGuard guard;
    Console console;
    guard.run(&log);
    return console.take();
}

struct StartupCase {
    const char* legend;
    const char* config;  // null: no config.txt
    std::string console;
};

TEST(Startup, EachFailureEndsWithItsMessageAndTheExitBanner)
{
    const std::string attached = "CSerial::setLog(Log _log) finished\n";
    const StartupCase cases[] = {
        {"no config.txt", nullptr, "ERROR, while reading config.txt\n" + kExit},
        {"defaults", "", kStart + attached + settingLines(0, -1) + "To start programm set startProgram=true\n" + kExit},
        {"no comPort", "startProgram=true\n",
         kStart + attached + settingLines(1, -1) + "Forgot to specify comPort\n" + kExit},
        {"outer radius inside the middle one stops before anything else",
         "treshold_enableAlarm_1=0.1\ntreshold_enableAlarm_2=0.2\n",
         kStart + attached + settingLines(0, -1, "0.100000", "0.200000") +
             "ERROR treshold_enableAlarm_1<treshold_enableAlarm_2 !!! Are you sure???\n" + kExit},
        {"middle radius inside the inner one", "treshold_enableAlarm_2=0.01\ntreshold_enableAlarm_1=0.01\n",
         kStart + attached + settingLines(0, -1, "0.010000", "0.010000") +
             "ERROR treshold_enableAlarm_2<treshold_enableAlarm_4!!! Are you sure???\n" + kExit},
        {"a radius that is not a number stops", "treshold_enableAlarm_1=nan\n",
         kStart + attached + settingLines(0, -1, "nan") +
             "ERROR treshold_enableAlarm_1<treshold_enableAlarm_2 !!! Are you sure???\n" + kExit},
        {"no POI anywhere", "startProgram=true\ncomPort=0\n",
         kStart + attached + settingLines(1, 0) +
             "Loading POI list from builtin-poi.csv\nERROR while opening file builtin-poi.csv\n"
             "Loading POI list from vodudo\\gefahr.csv\nERROR while opening file vodudo\\gefahr.csv\n"
             "ERROR, PoiList in folder vodudo is also empty\n" + kExit},
    };
    for (const StartupCase& c : cases) {
        if (strstr(c.config ? c.config : "", "nan") && !std::isnan(atof("nan"))) continue;  // a C library without "nan"
        InTempDir dir;
        EXPECT_EQ(runWith(c.config), c.console) << c.legend;
        EXPECT_TRUE(fake::callsNamed("CreateFileA").empty()) << c.legend;
        EXPECT_FALSE(std::filesystem::exists("logs")) << c.legend;
    }
}

TEST(Startup, EqualRadiiPass)
{
    InTempDir dir;
    std::string out = runWith("treshold_enableAlarm_1=0.1\ntreshold_enableAlarm_2=0.1\ntreshold_enableAlarm_4=0.1\n");
    EXPECT_NE(out.find("To start programm set startProgram=true\n"), std::string::npos);
}

TEST(Startup, BuiltinPathComesFirstAndPoiFileIsThenNeverOpened)
{
    InTempDir dir;
    writeFile("builtin-poi.csv", "9.1, 53.0, A\n");
    writeFile("config.txt", "startProgram=true\ncomPort=2\npoiFile=other.csv\n");
    fake::state.failing.insert("CreateFileA");
    fake::state.escapeAfterPauses = 0;
    Log log;
    CPoiGuard guard;
    Console console;
    EXPECT_THROW(guard.run(&log), fake::Escape);
    std::string out = console.take();
    EXPECT_NE(out.find("SUCCESS Loading POI list from builtin-poi.csv ... ready, found 1 POIs\n"), std::string::npos);
    EXPECT_EQ(out.find("other.csv\n", out.find("poiFile=")+ 20), std::string::npos);
    EXPECT_NE(out.find("serial.open failed\n"), std::string::npos);
}

TEST(Startup, PoiFileIsTriedWhenTheBuiltinListIsEmpty)
{
    InTempDir dir;
    writeFile("builtin-poi.csv", "# nothing here\n");
    writeFile("mine.csv", "9.1, 53.0, A\n8.0, 50.0, B\n");
    writeFile("config.txt", "startProgram=true\ncomPort=2\npoiFile=mine.csv\n");
    fake::state.failing.insert("CreateFileA");
    fake::state.escapeAfterPauses = 0;
    Log log;
    CPoiGuard guard;
    Console console;
    EXPECT_THROW(guard.run(&log), fake::Escape);
    EXPECT_NE(console.take().find("found 0 POIs\nLoading POI list from mine.csv\n"), std::string::npos);
    EXPECT_EQ(guard.poiCount, 2);
}

TEST(Startup, TimeOfDayHasNoLeadingZeros)
{
    InTempDir dir;
    fake::reset(1700006709);  // 2023-11-15 00:05:09
    EXPECT_EQ(getTimeOfDay(), 509);
    EXPECT_EQ(getDate(), 20231115);
}

}  // namespace
