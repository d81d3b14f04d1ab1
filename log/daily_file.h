// A file of the day in logs\, named PREFIXYYYYMMDDENDING after the local
// date: the daily log (log_YYYYMMDD.log) and the track (track_YYYYMMDD.csv).
#pragma once

#include <cstdio>

class DailyFile {
public:
    DailyFile(const char* prefix, const char* ending) : prefix(prefix), ending(ending) {}
    ~DailyFile();
    DailyFile(const DailyFile&) = delete;
    DailyFile& operator=(const DailyFile&) = delete;

    // Today's file, opened for appending (logs\ made when missing).
    void open();
    // Looks at most once a second (nowMs on any count of milliseconds): on a
    // new day, or while the file could not be opened, opens today's and then
    // removes the daily files dated more than keepDays back (0: none). True
    // when it opened one.
    bool followTheDay(long long nowMs, int keepDays);
    FILE* get() const { return file; }

private:
    const char* prefix;
    const char* ending;
    FILE* file = nullptr;
    int date = 0;  // YYYYMMDD of file
    long long nextCheckMs = 0;
};

// Removes the daily files in logs (log_YYYYMMDD.log, track_YYYYMMDD.csv)
// dated more than keepDays days before today; nothing else in the folder.
void removeOldDailyFiles(int keepDays);

// Local date as YYYYMMDD.
int getDate();
