#pragma once

#include <cstdio>

#include "daily_file.h"
#include "platform.h"

// Every message of the program: to the console, and once switched on, also
// appended to the daily file logs\log_YYYYMMDD.log. Callers format the whole
// message themselves; Log adds no time stamp, level or line end.
class Log {
public:
    Log();

    void print(const char* text);
    // A routine line of each fix (the position, the nearest POIs, the
    // count): like print, unless the console is kept quiet, when it goes to
    // the file alone.
    void printDetail(const char* text);
    void setWriteLogFile(int flag);
    // Daily files dated more than this many days back are removed, now and
    // at each change of day, when the log moves on to the new day's file.
    // 0, as without the call: files are kept, and a run stays in the file
    // of the day it began.
    void setKeepDays(int days);
    void setQuietConsole(int flag);

private:
    void toConsole(const char* text);
    void toFile(const char* text);

    DailyFile logFile{"log_", ".log"};
    int fileEnabled;
    int keepDays;
    int quietConsole;
};

// While one of these exists, console lines are collected and written out
// together when it ends: one system call for all the lines of a fix instead
// of one a line. The log file still gets every line flushed at once, so it
// never lags behind the console.
class ConsoleBatch {
public:
    ConsoleBatch();
    ~ConsoleBatch();
    ConsoleBatch(const ConsoleBatch&) = delete;
    ConsoleBatch& operator=(const ConsoleBatch&) = delete;
};

// Formats one message into a 1024-byte buffer (cut to fit) and prints it.
void logMessage(Log* log, const char* format, ...) PRINTF_LIKE(2, 3);
// The same for a routine line of a fix (Log::printDetail).
void logDetail(Log* log, const char* format, ...) PRINTF_LIKE(2, 3);

// Size of every message buffer of the program.
constexpr int kMessageSize = 1024;
