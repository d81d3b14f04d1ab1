#include <gtest/gtest.h>

#include "helpers.h"

namespace {

struct ConfigCase {
    const char* legend;
    const char* file;
    const char* console;  // what the reader prints
    int comPort;
    int startProgram;
    double radius1;
    int updateInterval;
    const char* poiFile;
};

const ConfigCase kCases[] = {
    {"empty file keeps every default", "", "", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"only comments", "# comPort=3\n%comPort=4\n", "", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"key=value", "comPort=3\n", "", 3, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"blanks around =, value with ;", "comPort = 7;\r\n", "", 7, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"trailing comment makes four tokens", "comPort = 3 # COM3\n", "", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"switches are case-sensitive", "startProgram=TRUE\nstartProgram=1\n",
     "UNKOWN element startProgram\nUNKOWN element startProgram\n", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"true switches on", "startProgram=true\n", "", -1, 1, 0.3, 300, "vodudo\\gefahr.csv"},
    {"blank before # is no comment", " # note\n", "UNKOWN element #\n", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"; in the first column is no comment but one token", ";comment\n", "", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"quoted path loses its quotes", "poiFile=\"my\\pois.csv\"\n", "", -1, 0, 0.3, 300, "my\\pois.csv"},
    {"quoted path with a blank is three tokens", "poiFile=\"my pois.csv\"\n", "", -1, 0, 0.3, 300,
     "vodudo\\gefahr.csv"},
    {"atof stops at a comma", "treshold_enableAlarm_1=0,5\n", "", -1, 0, 0.0, 300, "vodudo\\gefahr.csv"},
    {"atoi takes the numeric beginning", "updateInterval=30s\n", "", -1, 0, 0.3, 30, "vodudo\\gefahr.csv"},
    {"atoi drops the fraction", "updateInterval=2.5\n", "", -1, 0, 0.3, 2, "vodudo\\gefahr.csv"},
    {"not a number gives 0", "comPort=abc\n", "", 0, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"the last of repeated keys wins", "updateInterval=60\nupdateInterval=120\n", "", -1, 0, 0.3, 120,
     "vodudo\\gefahr.csv"},
    {"key without value is ignored", "fullOutput=\n", "", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"unknown key", "colour=red\n", "UNKOWN element colour\n", -1, 0, 0.3, 300, "vodudo\\gefahr.csv"},
    {"last line without line end", "comPort=5", "", 5, 0, 0.3, 300, "vodudo\\gefahr.csv"},
};

void PrintTo(const ConfigCase& c, std::ostream* os) { *os << c.legend; }

class ConfigTable : public testing::TestWithParam<ConfigCase> {};

TEST_P(ConfigTable, ReadsLikeTheProgramDoes)
{
    const ConfigCase& c = GetParam();
    InTempDir dir;
    writeFile("config.txt", c.file);
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    Console console;
    EXPECT_EQ(guard.readConfig("config.txt"), 0);
    EXPECT_EQ(console.take(), c.console);
    EXPECT_EQ(guard.comPort, c.comPort);
    EXPECT_EQ(guard.startProgram, c.startProgram);
    EXPECT_DOUBLE_EQ(guard.treshold_enableAlarm_1, c.radius1);
    EXPECT_EQ(guard.updateInterval, c.updateInterval);
    EXPECT_STREQ(guard.poiFile, c.poiFile);
}

INSTANTIATE_TEST_SUITE_P(Lines, ConfigTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ConfigCase>& info) {
                             std::string name = info.param.legend;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

TEST(Config, MissingFileIsReportedAndChangesNothing)
{
    InTempDir dir;
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    Console console;
    EXPECT_EQ(guard.readConfig("config.txt"), 1);
    EXPECT_EQ(console.take(), "ERROR, while reading config.txt\n");
    EXPECT_EQ(guard.comPort, -1);
}

TEST(Config, OverlongPoiFileIsRefusedAndNeverOverflows)
{
    InTempDir dir;
    writeFile("config.txt", "poiFile=" + std::string(300, 'p') + "\n");
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    Console console;
    guard.readConfig("config.txt");
    EXPECT_STREQ(guard.poiFile, "vodudo\\gefahr.csv");
    EXPECT_NE(console.take().find("ERROR, poiFile is longer than 255 characters"), std::string::npos);

    writeFile("config.txt", "poiFile=" + std::string(255, 'p') + "\n");
    guard.readConfig("config.txt");
    EXPECT_EQ(std::string(guard.poiFile), std::string(255, 'p'));
}

TEST(Config, LongLineIsReadInPiecesOfAtMost1022Characters)
{
    InTempDir dir;
    // The second piece of the long line is a line of its own: "comPort 9".
    writeFile("config.txt", std::string(1022, 'x') + "comPort 9\n");
    Log log;
    CPoiGuard guard;
    guard.log = &log;
    Console console;
    guard.readConfig("config.txt");
    EXPECT_EQ(guard.comPort, 9);
}

}  // namespace
