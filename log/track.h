// The drive as it goes (trackLog=true), for poiguard-report and any
// spreadsheet: logs\track_YYYYMMDD.csv beside the daily log, one record a
// line, times in UTC:
//
//   2026-12-08T10:15:30.5Z,F,8.800000,53.070000,90.0,12.5
//   time,                  kind, the car's length and wide, then by kind:
//     F  a fix, E  an estimated position:  km/h, course (empty when unknown)
//     P  a POI came in reach (once a file):  limit, its length, wide, name
//     W  a warning sounded:  level 1-3, km to the POI, limit, its length, wide, name
//     S  a section event:  entered/over/left/away, average km/h, limit, km driven, name
//     V  a phrase said after a warning (speech=de):  its text
//
// Names come last and may hold commas. Every line is flushed as written and
// the file synced to the disk at most a second later, so that a power cut
// loses at most the last second; a cut leaves at most one partial line.
#pragma once

#include <cstdio>
#include <set>
#include <string>

class TrackLog {
public:
    ~TrackLog();
    void start(int keepDays);
    bool on() const { return started; }

    // A fix taken: its UTC seconds since 1970, the steady clock in ms.
    void fix(double utc, long long nowMs, double length, double wide, double kmh, double course);
    // An estimated position: its time follows the last fix's by the clock.
    void estimate(long long nowMs, double length, double wide, double kmh, double course);
    // At the car's last position and time:
    void poiInReach(const char* name, double length, double wide, int limit);
    void warning(int level, double km, const char* name, double length, double wide, int limit);
    void section(const char* event, const char* name, int averageKmh, int limitKmh, double km);
    void spoken(const char* text);
    // Called often: syncs what waits for it once its second is over.
    void tick(long long nowMs);

private:
    void write(const char* kind, const char* rest);
    void position(const char* kind, double length, double wide, double kmh, double course);
    void openDaysFile();

    bool started = false;
    int keepDays = 0;
    FILE* file = nullptr;
    int fileDate = 0;
    std::set<std::string> inReach;  // the POIs of this file's P records
    double fixUtc = -1;
    long long fixMs = 0;
    double lastUtc = -1;
    double lastLength = 0, lastWide = 0;
    long long lastMs = 0;
    long long syncedMs = 0;
    long long nextDayCheckMs = 0;
    bool unsynced = false;
};
