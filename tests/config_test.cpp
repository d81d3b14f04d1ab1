#include <gtest/gtest.h>

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
        EXPECT_EQ(readSettings("config.txt", s, &l.log), 0) << c.legend;
        EXPECT_EQ(l.console.take(), c.printed) << c.legend;
        EXPECT_EQ(s.comPort, c.comPort) << c.legend;
        EXPECT_EQ(s.startProgram, c.startProgram) << c.legend;
        EXPECT_DOUBLE_EQ(s.treshold_enableAlarm_1, c.radius1) << c.legend;
        EXPECT_EQ(s.updateInterval, c.updateInterval) << c.legend;
        EXPECT_STREQ(s.poiFile, c.poiFile) << c.legend;
        EXPECT_STREQ(s.comDevice, c.comDevice) << c.legend;
    }
}

}  // namespace
