#include <gtest/gtest.h>
#include <filesystem>

#include "fake_platform.h"
#include "helpers.h"

namespace {

TEST(Log, FileLoggingStartsOnlyWhenSwitchedOn)
{
    InTempDir dir;
    Log log;
    Console console;
    log.print("before\n");
    log.setWriteLogFile(0);
    log.print("still console only\n");
    EXPECT_FALSE(std::filesystem::exists("logs"));

    log.setWriteLogFile(1);
    log.print("100% sure\n");
    log.print("no line end");
    log.print(" continued\n");
    EXPECT_EQ(console.take(), "before\nstill console only\n100% sure\nno line end continued\n");
    EXPECT_EQ(readTextFile("logs/log_20231114.log"), "100% sure\nno line end continued\n");
}

TEST(Log, SecondRunOfTheDayAppends)
{
    InTempDir dir;
    Console console;
    {
        Log first;
        first.setWriteLogFile(1);
        first.print("run 1\n");
    }
    Log second;
    second.setWriteLogFile(1);
    second.print("run 2\n");
    EXPECT_EQ(readTextFile("logs/log_20231114.log"), "run 1\nrun 2\n");
}

TEST(Log, DateIsFixedWhenTheFileIsOpened)
{
    InTempDir dir;
    fake::reset(1700006399);  // 23:59:59
    Console console;
    Log log;
    log.setWriteLogFile(1);
    fake::state.clockMs += 2000;  // past midnight
    log.print("after midnight\n");
    EXPECT_EQ(readTextFile("logs/log_20231114.log"), "after midnight\n");
}

TEST(Log, UnopenableFileLeavesTheConsoleWorking)
{
    InTempDir dir;
    writeFile("logs", "a plain file");
    Log log;
    Console console;
    log.setWriteLogFile(1);
    log.print("hello\n");
    EXPECT_EQ(console.take(), "hello\n");
}

TEST(Log, OverlongMessageIsCutToItsBuffer)
{
    InTempDir dir;
    Log log;
    Console console;
    logMessage(&log, "%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(console.take(), std::string(kMessageSize - 1, 'x'));
}

}  // namespace
