// The drive as it goes (trackLog=true), for poiguard-report and any
// spreadsheet: logs\track_YYYYMMDD.csv beside the daily log, one record a
// line, times in UTC, as log/track_format.h states them.
//
// Every line is flushed as written and
// the file synced to the disk at most a second later, so that a power cut
// loses at most the last second; a cut leaves at most one partial line.
#pragma once

#include <set>
#include <string>

#include "daily_file.h"
#include "track_format.h"

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
    // event: its place in trackformat::kSectionEvents.
    void section(int event, const char* name, int averageKmh, int limitKmh, double km);
    void spoken(const char* text);
    // Called often: syncs what waits for it once its second is over.
    void tick(long long nowMs);

private:
    void write(const trackformat::Kind& kind, const char* fields);
    void position(const trackformat::Kind& kind, double length, double wide, double kmh, double course);
    void beginFile();

    bool started = false;
    int keepDays = 0;
    DailyFile days{"track_", ".csv"};
    std::set<std::string> inReach;  // the POIs of this file's P records
    double fixUtc = -1;
    long long fixMs = 0;
    double lastUtc = -1;
    double lastLength = 0, lastWide = 0;
    long long lastMs = 0;
    long long syncedMs = 0;
    bool unsynced = false;
};
