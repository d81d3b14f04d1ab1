#include <gtest/gtest.h>

#include <filesystem>

#include "fake_platform.h"
#include "helpers.h"

namespace {

TEST(Log, FileOnlyOnceSwitchedOnAppendedAcrossRunsDateFixed)
{
    InTempDir dir;
    fake::state.clockMs = 1700006399000LL;  // 23:59:59
    Console console;
    Log log;
    log.print("before\n");
    log.setWriteLogFile(0);
    EXPECT_FALSE(std::filesystem::exists("logs"));
    std::filesystem::create_directory("logs");
    writeFile("logs/log_20231114.log", "an earlier run\n");
    log.setWriteLogFile(1);
    log.print("100% sure, no line end");
    fake::state.clockMs += 2000;  // past midnight: still the first day's file
    log.print(" after midnight\n");
    EXPECT_EQ(console.take(), "before\n100% sure, no line end after midnight\n");
    EXPECT_EQ(readFile("logs/log_20231114.log", true), "an earlier run\n100% sure, no line end after midnight\n");
}

TEST(Log, UnopenableFileAndOverlongMessage)
{
    InTempDir dir;
    writeFile("logs", "a plain file");
    Log log;
    Console console;
    log.setWriteLogFile(1);
    logMessage(&log, "%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(console.take(), std::string(kMessageSize - 1, 'x'));
}

}  // namespace
