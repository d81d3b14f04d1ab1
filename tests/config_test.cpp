#include <gtest/gtest.h>

#include <cstring>

#include "helpers.h"

namespace {

// What reading noted, as start-up prints it.
std::string notes(const ConfigRead& read)
{
    std::string out;
    for (const ConfigNote& note : read.notes) out += note.said + note.hint;
    return out;
}

// Each row states what differs from the defaults.
TEST(Config, TableOfLines)
{
    const struct {
        const char* legend;
        std::string file;
        const char* printed;
        int comPort = -1;
        int startProgram = 0;
        double radius1 = 0.3;
        int updateInterval = 300;
        const char* poiFile = "vodudo\\gefahr.csv";
        const char* comDevice = "";
    } cases[] = {
        {"comments only in the first column", "# comPort=3\n%comPort=4\n", ""},
        {"separators = ; and blanks, CR", "comPort = 7;\r\n", "", 7},
        {"switches take false and true, the last wins", "fullOutput=false\nwriteLogFile=false\nstartProgram=true\n", "", -1,
         1},
        {"quotes are dropped", "poiFile=\"my\\pois.csv\"\n", "", -1, 0, 0.3, 300, "my\\pois.csv"},
        {"atoi: numeric beginning, no fraction", "comPort=2.5\n", "", 2},
        {"a line over 1022 characters is read in pieces", std::string(1022, 'x') + "comPort 9\n", "", 9},
        {"a byte-order mark before the first key; COM5 as Windows names the port",
         "\xEF\xBB\xBFstartProgram=true\ncomPort=COM5\n", "", 5, 1},
        {"a device path", "comPort=/dev/ttyACM0\n", "", 0, 0, 0.3, 300, "vodudo\\gefahr.csv", "/dev/ttyACM0"},
        {"neither: kept for start-up to refuse", "comPort=COM\n", "", 0, 0, 0.3, 300, "vodudo\\gefahr.csv", "COM"},
        {"poiFile over 255 characters is refused", "poiFile=" + std::string(256, 'p'),
         "ERROR, poiFile is longer than 255 characters, keeping vodudo\\gefahr.csv\n"},
        // The mistakes of a first day: the program's own line, if any, then what to mend.
        {"a switch in capitals", "\nstartProgram=True\n",
         "UNKOWN element startProgram\n    config.txt line 2: startProgram=True: the value is true or false, in small "
         "letters\n"},
        {"a misspelt key", "threshold_enableAlarm_1=0.5\n",
         "UNKOWN element threshold_enableAlarm_1\n    config.txt line 1: the key is spelt treshold_enableAlarm_1\n"},
        {"a key in other capitals", "comport=3\n", "UNKOWN element comport\n    config.txt line 1: the key is spelt comPort\n"},
        {"two letters off a key of eight", "trakLogg=true\n",
         "UNKOWN element trakLogg\n    config.txt line 1: the key is spelt trackLog\n"},
        {"no key near it", "colour=red\n", "UNKOWN element colour\n"},
        {"a blank before #", " # note\n",
         "UNKOWN element #\n    config.txt line 1: a comment has # as the first character of its line\n"},
        {"a decimal comma", "treshold_enableAlarm_1=0,5\n",
         "    config.txt line 1: treshold_enableAlarm_1=0,5 is read as 0: the decimal mark is a point, 0.5\n", -1, 0, 0.0},
        {"a unit after a number", "updateInterval=30s\n",
         "    config.txt line 1: updateInterval=30s is read as 30: give the number alone\n", -1, 0, 0.3, 30},
        {"a comment after the value", "baudRate=4800 # my puck\n",
         "    config.txt line 1: baudRate=4800 # my puck is not read: a comment goes on a line of its own, with # first\n"},
        {"a quoted value with a blank", "poiFile=\"my pois.csv\"\n",
         "    config.txt line 1: poiFile=\"my pois.csv\" is not read: a value holds no blank\n"},
        {"no value", "fullOutput=\n", "    config.txt line 1: fullOutput= has no value and is not read\n"},
    };
    for (const auto& c : cases) {
        InTempDir dir;
        Settings s;
        writeFile("config.txt", c.file);
        ConfigRead read = readSettings("config.txt", s);
        EXPECT_TRUE(read.opened) << c.legend;
        EXPECT_EQ(notes(read), c.printed) << c.legend;
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
        int value;  // the field afterwards
        const char* refused = nullptr;
    } rows[] = {
        {"baudRate=auto", kBaudRate, kAutoBaud},
        {"baudRate=9601", kBaudRate, 0, "give 4800, 9600, 19200, 38400, 57600, 115200 or auto"},
        {"warnAheadOnly=true", kWarnAheadOnly, 1},
        {"checkDirections=1", kCheckDirections, 1, "give true or false"},
        {"warnSeconds=60", kWarnSeconds, 60},
        {"warnSeconds=61", kWarnSeconds, 0, "give whole seconds from 1 to 60"},
        {"warnSeconds=1s", kWarnSeconds, 0, "give whole seconds from 1 to 60"},
        {"logKeepDays=1", kLogKeepDays, 1},
        {"quietConsole=true", kQuietConsole, 1},
    };
    InTempDir dir;
    for (const auto& r : rows) {
        InTempDir dir;
        Settings s;
        writeFile("config.txt", std::string(r.line) + "\n");
        readSettings("config.txt", s);
        EXPECT_EQ(s.*kSettings[r.id].whole, r.value) << r.line;
        EXPECT_STREQ(s.refused[r.id] ? s.refused[r.id] : "", r.refused ? r.refused : "") << r.line;
        EXPECT_STREQ(s.written[r.id], strchr(r.line, '=') + 1) << r.line;
    }
}

}  // namespace
