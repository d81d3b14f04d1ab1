#include "track.h"

#include <cmath>
#include <ctime>

#include "log.h"

namespace {

// 2026-12-08T10:15:30.5Z: the tenths a 10 Hz receiver gives, no more.
void formatUtc(double utc, char* out, size_t size)
{
    double whole = std::floor(utc);
    int tenths = static_cast<int>(std::lround((utc - whole) * 10));
    if (tenths == 10) {
        whole += 1;
        tenths = 0;
    }
    std::time_t t = static_cast<std::time_t>(whole);
    std::tm* c = std::gmtime(&t);
    if (!c) {
        snprintf(out, size, "?");
        return;
    }
    snprintf(out, size, "%04d-%02d-%02dT%02d:%02d:%02d.%dZ", c->tm_year + 1900, c->tm_mon + 1, c->tm_mday, c->tm_hour,
             c->tm_min, c->tm_sec, tenths);
}

// A number, or nothing for the unknown (negative) ones.
void optional(char* out, size_t size, double value)
{
    if (value < 0)
        out[0] = '\0';
    else
        snprintf(out, size, "%.1f", value);
}

}  // namespace

TrackLog::~TrackLog()
{
    if (file) fclose(file);
}

void TrackLog::start(int days)
{
    started = true;
    keepDays = days;
    openDaysFile();
}

void TrackLog::openDaysFile()
{
    if (file) fclose(file);
    inReach.clear();
    char name[64];
    fileDate = getDate();
    snprintf(name, sizeof name, "logs\\track_%d.csv", fileDate);
    _mkdir("logs");
    file = openFile(name, "a");
    if (file && ftell(file) == 0)
        fputs("# poiguard track, times UTC; F fix and E estimate: time,kind,length,wide,km/h,course; "
              "P POI in reach: ...,limit,POI length,wide,name; W warning: ...,level,km,limit,POI length,wide,name; "
              "S section: ...,event,average km/h,limit,km,name\n",
              file);
}

void TrackLog::fix(double utc, long long nowMs, double length, double wide, double kmh, double course)
{
    if (!started) return;
    fixUtc = utc;
    fixMs = nowMs;
    lastMs = nowMs;
    lastUtc = utc;
    position("F", length, wide, kmh, course);
}

void TrackLog::estimate(long long nowMs, double length, double wide, double kmh, double course)
{
    if (!started || fixUtc < 0) return;
    lastMs = nowMs;
    lastUtc = fixUtc + (nowMs - fixMs) / 1000.0;
    position("E", length, wide, kmh, course);
}

void TrackLog::position(const char* kind, double length, double wide, double kmh, double course)
{
    lastLength = length;
    lastWide = wide;
    char speed[32], way[32], rest[96];
    optional(speed, sizeof speed, kmh);
    optional(way, sizeof way, course);
    snprintf(rest, sizeof rest, "%s,%s", speed, way);
    write(kind, rest);
}

void TrackLog::poiInReach(const char* name, double length, double wide, int limit)
{
    if (!started || lastUtc < 0) return;
    char key[kMessageSize];
    snprintf(key, sizeof key, "%.6f %.6f %s", length, wide, name);
    if (!inReach.insert(key).second) return;
    char rest[kMessageSize];
    snprintf(rest, sizeof rest, "%d,%.6f,%.6f,%s", limit, length, wide, name);
    write("P", rest);
}

void TrackLog::warning(int level, double km, const char* name, double length, double wide, int limit)
{
    if (!started || lastUtc < 0) return;
    char rest[kMessageSize];
    snprintf(rest, sizeof rest, "%d,%.3f,%d,%.6f,%.6f,%s", level, km, limit, length, wide, name);
    write("W", rest);
}

void TrackLog::section(const char* event, const char* name, int averageKmh, int limitKmh, double km)
{
    if (!started || lastUtc < 0) return;
    char rest[kMessageSize];
    snprintf(rest, sizeof rest, "%s,%d,%d,%.2f,%s", event, averageKmh, limitKmh, km, name);
    write("S", rest);
}

void TrackLog::spoken(const char* text)
{
    if (started && lastUtc >= 0) write("V", text);
}

void TrackLog::write(const char* kind, const char* rest)
{
    // A new day moves on to that day's file, as the daily log does.
    if (lastMs >= nextDayCheckMs) {
        nextDayCheckMs = lastMs + 1000;
        if (getDate() != fileDate) {
            openDaysFile();
            if (keepDays > 0) removeOldDailyFiles(keepDays);
        }
    }
    if (!file) return;
    char when[48];
    formatUtc(lastUtc, when, sizeof when);
    fprintf(file, "%s,%s,%.6f,%.6f,%s\n", when, kind, lastLength, lastWide, rest);
    fflush(file);
    unsynced = true;
    tick(lastMs);
}

void TrackLog::tick(long long nowMs)
{
    if (!unsynced || nowMs - syncedMs < 1000) return;
    syncFile(file);
    syncedMs = nowMs;
    unsynced = false;
}
