#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

#include "fake_platform.h"
#include "helpers.h"

namespace {

// The console's bytes so far, without flushing it.
long consoleBytes()
{
    struct stat st;
    fstat(1, &st);
    return static_cast<long>(st.st_size);
}

// The day's file: made only once switched on, appended to across runs, its
// date fixed when switched on (a line after midnight stays in it).
TEST(Log, TheDaysFile)
{
    InTempDir dir;
    fake::state.clockMs = 1700006399000LL;  // 23:59:59
    Console console;
    Log log;
    log.print("before\n");
    log.setWriteLogFile(0);
    EXPECT_FALSE(std::filesystem::exists("logs"));
    {
        Log earlier;  // an earlier run makes the folder and the day's file
        earlier.setWriteLogFile(1);
        earlier.print("an earlier run\n");
    }
    log.setWriteLogFile(1);
    log.print("100% sure, no line end");
    fake::state.clockMs += 2000;  // past midnight: still the first day's file
    log.print(" after midnight\n");
    EXPECT_EQ(console.take(), "before\nan earlier run\n100% sure, no line end after midnight\n");
    EXPECT_EQ(readFile("logs/log_20231114.log", true), "an earlier run\n100% sure, no line end after midnight\n");
}

// A batch holds the console back to its end, never the file.
TEST(Log, ABatchHoldsTheConsoleNotTheFile)
{
    InTempDir dir;
    fake::state.clockMs = 1700006399000LL;
    Console console;
    Log log;
    log.setWriteLogFile(1);
    long before = consoleBytes();
    {
        ConsoleBatch fix;
        log.print("one ");
        { ConsoleBatch inner; log.print("two "); }
        EXPECT_EQ(readFile("logs/log_20231114.log", true), "one two ");
        EXPECT_EQ(consoleBytes(), before);
    }
    EXPECT_EQ(console.take(), "one two ");
}

// logKeepDays=14 on 2023-11-14: files dated before 2023-10-31 go, at start
// and again when the day changes, and the log moves to the new day's file;
// names that are not daily files stay. A quiet console leaves out the
// routine lines of a fix, which the file still gets.
TEST(Log, OldDaysRemovedTheNewDaysFileAQuietConsole)
{
    InTempDir dir;
    fake::state.clockMs = 1700006399000LL;  // 23:59:59
    std::filesystem::create_directory("logs");
    for (const char* name : {"log_20231030.log", "log_20231031.log", "log_2023103.log", "notes.txt", "log_20231001.log.gz",
                             "track_20231030.csv", "track_20231031.csv", "track_2023103.csv"})
        writeFile(std::string("logs/") + name, "x");
    Console console;
    Log log;
    log.setWriteLogFile(1);
    log.setKeepDays(14);
    log.setQuietConsole(1);
    log.print("before midnight\n");
    fake::state.clockMs += 2000;
    logDetail(&log, "after %s\n", "midnight");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("logs")) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"log_20231001.log.gz", "log_2023103.log", "log_20231114.log", "log_20231115.log",
                                               "notes.txt", "track_2023103.csv"}));
    EXPECT_EQ(readFile("logs/log_20231114.log", true), "before midnight\n");
    EXPECT_EQ(readFile("logs/log_20231115.log", true), "after midnight\n");
    EXPECT_EQ(console.take(), "before midnight\n");
}

// Messages are formatted by our own code for the common conversions and by
// vsnprintf for the rest; the bytes must be the same either way.
TEST(Log, MessagesAreFormattedExactlyAsPrintf)
{
    InTempDir dir;
    Log log;
    Console console;
    std::string expected;
    auto both = [&](const char* format, auto... args) {
        logMessage(&log, format, args...);
        char message[kMessageSize];
        snprintf(message, sizeof message, format, args...);
        expected += message;
    };
    const double values[] = {0.0078125, 0.0234375, -0.0,     9.9999995, 2.4e-7, 1e-320, 4.9e-324,
                             1e300,     -1.7e308,  53.074,   8.8,       123456789.1234565, NAN, -INFINITY};
    for (double v : values) both("[%lf|%f|%12lf]", v, v, v);
    std::mt19937_64 random(7);
    for (int i = 0; i < 20000; ++i)
        both("%lf ", std::ldexp(std::uniform_real_distribution<double>(-1, 1)(random), i % 80 - 40));
    both("%d|%4d|%d|%10s|%10s|%s|\n", -12, 7, INT32_MIN, "P9637", "a longer name", "");
    both("%02d|", 5);
    both("%-4d|", 5);
    both("%5.1f|%%|%p\n", 2.25, static_cast<void*>(nullptr));
    both("%s%lf", std::string(1015, 'x').c_str(), 53.074);  // cut inside the number
    both("%s", std::string(5000, 'x').c_str());
    EXPECT_EQ(console.take(), expected);
}

}  // namespace
