#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>

#include "fake_platform.h"
#include "helpers.h"

namespace {

// The fake clock reads 2023-11-14 22:13:20.
const std::string kStars = std::string(65, '*') + "\n";
const std::string kStart = kStars + "Programm started at 20231114 221320\nCSerial::setLog(Log _log) finished\n";
const std::string kExit = "Programm exited at 20231114 221320\n" + kStars;
// Neither list there: each named with the system's reason, then how to make one.
const std::string kNoList =
    "Loading POI list from builtin-poi.csv\nERROR while opening file builtin-poi.csv\n    No such file or directory (as "
    "user tester)\nLoading POI list from vodudo\\gefahr.csv\nERROR while opening file vodudo\\gefahr.csv\n    No such file "
    "or directory (as user tester)\nERROR, PoiList in folder vodudo is also empty\n    poiguard-import-pois builtin-poi.csv "
    "INPUT... makes one: INPUT osm:DE for a country's cameras from OpenStreetMap, or a GPX, KML or OV2 file or a camera "
    "database; or write one: longitude, latitude, name a line\n";

std::string settings(int start, const std::string& port, const char* r1 = "0.300000", const char* r2 = "0.150000",
                     const char* r4 = "0.050000")
{
    return "startProgram=" + std::to_string(start) + "\ncomPort=" + port + "\ntreshold_enableAlarm_1=" + r1 +
           "\ntreshold_enableAlarm_2=" + r2 +
           "\ntreshold_enableAlarm_4=" + r4 + "\nfullOutput=0\nupdateInterval=300\nmaxTimeNoData=30\n"
           "poiFile=vodudo\\gefahr.csv\nwriteLogFile=0\n";
}

TEST(Startup, EachFailureEndsWithItsMessageTheExitBannerAndItsStatus)
{
    const std::string radius1 = "ERROR treshold_enableAlarm_1<treshold_enableAlarm_2 !!! Are you sure???\n";
    const struct {
        const char* config;  // null: no config.txt
        std::string printed;
        int status;
    } cases[] = {
        {nullptr, "ERROR, while reading config.txt\n    config.txt in /home/tester/drive (the working directory): No such "
                   "file or directory; start the program in the folder of your config.txt, or copy the commented "
                   "example /etc/poiguard/config.txt there\n" + kExit, 66},
        {"", kStart + settings(0, "-1") + "To start programm set startProgram=true\n" + kExit, 0},
        {"startProgram=true\n", kStart + settings(1, "-1") + "Forgot to specify comPort\n" + kExit, 78},
        {"treshold_enableAlarm_1=0.1\ntreshold_enableAlarm_2=0.2\n",
         kStart + settings(0, "-1", "0.100000", "0.200000") + radius1 + kExit, 78},
        {"treshold_enableAlarm_2=0.01\ntreshold_enableAlarm_1=0.01\n",
         kStart + settings(0, "-1", "0.010000", "0.010000") +
             "ERROR treshold_enableAlarm_2<treshold_enableAlarm_4!!! Are you sure???\n" + kExit, 78},
        {"treshold_enableAlarm_1=0.2\ntreshold_enableAlarm_2=0.2\ntreshold_enableAlarm_4=0.2\n",
         kStart + settings(0, "-1", "0.200000", "0.200000", "0.200000") + "To start programm set startProgram=true\n" + kExit, 0},
        {"treshold_enableAlarm_1=nan\n", kStart + settings(0, "-1", "nan") + radius1 + kExit, 78},
        {"warnAheadOnly=true\nwarnSeconds=5\nbaudRate=9601\n", kStart + settings(0, "-1") + "baudRate=9601\n"
                              "warnAheadOnly=true\nwarnSeconds=5\n"
                              "ERROR baudRate=9601: give 4800, 9600, 19200, 38400, 57600, 115200 or auto\n" + kExit, 78},
        {"comPort=ttyUSB0\n", kStart + settings(0, "ttyUSB0") + "ERROR comPort=ttyUSB0: give the port's number (3), its "
                                "Windows name (COM3) or a device path (/dev/ttyACM0)\n" + kExit, 78},
        {"gpsd=:2947\n", kStart + settings(0, "-1") + "gpsd=:2947: positions from gpsd, not from a serial port\n"
                               "ERROR gpsd=:2947: give HOST or HOST:PORT, for instance gpsd=localhost\n" + kExit, 78},
        {"startProgram=true\ngpsd=localhost\n", kStart + settings(1, "-1") + "gpsd=localhost: positions from gpsd, not from "
                               "a serial port\n" + kNoList + kExit, 65},
        {"startProgram=true\ncomPort=0\n", kStart + settings(1, "0") + kNoList + kExit, 65},
    };
    for (const auto& c : cases) {
        if (c.config && strstr(c.config, "nan") && !std::isnan(atof("nan"))) continue;  // a C library without "nan"
        Guarded g;
        if (c.config) writeFile("config.txt", c.config);
        EXPECT_EQ(g.guard.run(&g.log), c.status) << (c.config ? c.config : "no config.txt");
        EXPECT_EQ(g.console.take(), c.printed) << (c.config ? c.config : "no config.txt");
        EXPECT_TRUE(fake::callsNamed("CreateFileA").empty());
        EXPECT_FALSE(std::filesystem::exists("logs"));
    }
}

// A built-in list with POIs is the list: poiFile is for an empty one. A
// reload asked for right after a start, while the list loads, is noted from
// the first moment and taken once the loop runs.
TEST(Startup, ABuiltinListWithPoisIsTheListAndAnEarlyReloadIsTaken)
{
    Guarded g;
    writeFile("builtin-poi.csv", "9.1, 53.0, A\n");
    writeFile("config.txt", "startProgram=true\ncomPort=2\npoiFile=mine.csv\n");
    fake::state.reloadSignal = true;
    EXPECT_EQ(g.guard.run(&g.log, 1), kStarted);
    std::string out = g.console.take();
    EXPECT_EQ(out.find("Loading POI list from mine.csv"), std::string::npos);
    EXPECT_EQ(g.guard.poiCount, 1);
    EXPECT_EQ(fake::state.calls.front(), "catchReloadSignal");
    EXPECT_NE(out.find("Asked for a reload: reloading POI list from builtin-poi.csv\nSUCCESS Reloading"), std::string::npos);
}

}  // namespace
