#include <gtest/gtest.h>

#include <cstring>

#include "helpers.h"

namespace {

TEST(Config, TableOfLines)
{
    const struct {
        const char* legend;
        std::string file;
        const char* printed;
        int comPort;
        int startProgram;
        double radius1;
        int updateInterval;
        const char* poiFile;
        const char* comDevice = "";
    } cases[] = {
        {"comments only in the first column", "# comPort=3\n%comPort=4\n", "", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
        {"blank before # is no comment", " # note\n", "UNKOWN element #\n", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
        {"separators = ; and blanks, CR", "comPort = 7;\r\n", "", 7, 0, 0.3, 300, "vodudo\\gefahr.csv"},
        {"a trailing comment makes four tokens", "comPort = 3 # COM3\n", "", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
        {"switches take false and true, the last wins", "fullOutput=false\nwriteLogFile=false\nstartProgram=true\n", "", -1, 1,
         0.3, 300, "vodudo\\gefahr.csv"},
        {"switches are case-sensitive words", "startProgram=TRUE\nstartProgram=1\n",
         "UNKOWN element startProgram\nUNKOWN element startProgram\n", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
        {"quotes are dropped", "poiFile=\"my\\pois.csv\"\n", "", -1, 0, 0.3, 300, "my\\pois.csv"},
        {"a quoted value with a blank is three tokens", "poiFile=\"my pois.csv\"\n", "", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
        {"atof stops at a comma", "treshold_enableAlarm_1=0,5\n", "", -1, 0, 0.0, 300, "vodudo\\gefahr.csv"},
        {"atoi: numeric beginning, no fraction, 0 for text", "updateInterval=30s\ncomPort=2.5\nmaxTimeNoData=x\n", "", 2, 0,
         0.3, 30, "vodudo\\gefahr.csv"},
        {"a line over 1022 characters is read in pieces", std::string(1022, 'x') + "comPort 9\n", "", 9, 0, 0.3, 300,
         "vodudo\\gefahr.csv"},
        {"a byte-order mark before the first key; COM5 as Windows names the port",
         "\xEF\xBB\xBFstartProgram=true\ncomPort=COM5\n", "", 5, 1, 0.3, 300, "vodudo\\gefahr.csv"},
        {"a device path", "comPort=/dev/ttyACM0\n", "", 0, 0, 0.3, 300, "vodudo\\gefahr.csv", "/dev/ttyACM0"},
        {"neither: kept for start-up to refuse", "comPort=COM\n", "", 0, 0, 0.3, 300, "vodudo\\gefahr.csv", "COM"},
        {"poiFile over 255 characters is refused", "poiFile=" + std::string(256, 'p'),
         "ERROR, poiFile is longer than 255 characters, keeping vodudo\\gefahr.csv\n", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    };
    for (const auto& c : cases) {
        Logged l;
        Settings s;
        writeFile("config.txt", c.file);
        EXPECT_TRUE(readSettings("config.txt", s, &l.log)) << c.legend;
        EXPECT_EQ(l.console.take(), c.printed) << c.legend;
        EXPECT_EQ(s.comPort, c.comPort) << c.legend;
        EXPECT_EQ(s.startProgram, c.startProgram) << c.legend;
        EXPECT_DOUBLE_EQ(s.treshold_enableAlarm_1, c.radius1) << c.legend;
        EXPECT_EQ(s.updateInterval, c.updateInterval) << c.legend;
        EXPECT_STREQ(s.poiFile, c.poiFile) << c.legend;
        EXPECT_STREQ(s.comDevice, c.comDevice) << c.legend;
    }
}

// Each later key, through the one table: a value taken (what its field then
// holds) or refused (the field keeps its default, and what start-up says).
TEST(Config, TheLaterKeysReadOnce)
{
    const struct {
        const char* line;
        int id;
        int value;              // the field afterwards
        const char* allowed = nullptr;  // refused: what start-up says
    } rows[] = {
        {"baudRate=auto", kKeyBaudRate, kAutoBaud},
        {"baudRate=9601", kKeyBaudRate, 0, "give 4800, 9600, 19200, 38400, 57600, 115200 or auto"},
        {"warnAheadOnly=true", kKeyWarnAheadOnly, 1},
        {"checkDirections=1", kKeyCheckDirections, 1, "give true or false"},
        {"warnSeconds=60", kKeyWarnSeconds, 60},
        {"warnSeconds=61", kKeyWarnSeconds, 0, "give whole seconds from 1 to 60"},
        {"warnSeconds=1s", kKeyWarnSeconds, 0, "give whole seconds from 1 to 60"},
        {"logKeepDays=1", kKeyLogKeepDays, 1},
        {"quietConsole=true", kKeyQuietConsole, 1},
    };
    for (const auto& r : rows) {
        Logged l;
        Settings s;
        writeFile("config.txt", std::string(r.line) + "\n");
        readSettings("config.txt", s, &l.log);
        const LaterKey& key = kLaterKeys[r.id];
        EXPECT_EQ(key.kind == LaterKey::kSwitch ? s.*key.flag : s.*key.number, r.value) << r.line;
        EXPECT_EQ(s.refused[r.id], r.allowed != nullptr) << r.line;
        EXPECT_STREQ(s.written[r.id], strchr(r.line, '=') + 1) << r.line;
        char allowed[128];
        describeAllowed(key, allowed, sizeof allowed);
        if (r.allowed) {
            EXPECT_STREQ(allowed, r.allowed) << r.line;
        }
    }
}

}  // namespace
