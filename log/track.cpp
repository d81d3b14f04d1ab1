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

TrackLog::~TrackLog() = default;

void TrackLog::start(int keep)
{
    started = true;
    keepDays = keep;
    days.open();
    beginFile();
}

void TrackLog::beginFile()
{
    inReach.clear();
    FILE* file = days.get();
    if (file && ftell(file) == 0) fputs(trackformat::kHeader, file);
}

void TrackLog::fix(double utc, long long nowMs, double length, double wide, double kmh, double course)
{
    if (!started) return;
    fixUtc = utc;
    fixMs = nowMs;
    lastMs = nowMs;
    lastUtc = utc;
    position(trackformat::kFix, length, wide, kmh, course);
}

void TrackLog::estimate(long long nowMs, double length, double wide, double kmh, double course)
{
    if (!started || fixUtc < 0) return;
    lastMs = nowMs;
    lastUtc = fixUtc + (nowMs - fixMs) / 1000.0;
    position(trackformat::kEstimate, length, wide, kmh, course);
}

void TrackLog::position(const trackformat::Kind& kind, double length, double wide, double kmh, double course)
{
    lastLength = length;
    lastWide = wide;
    char speed[32], way[32], fields[96];
    optional(speed, sizeof speed, kmh);
    optional(way, sizeof way, course);
    snprintf(fields, sizeof fields, trackformat::kFix.fields, speed, way);
    write(kind, fields);
}

void TrackLog::poiInReach(const char* name, double length, double wide, int limit)
{
    if (!started || lastUtc < 0) return;
    char key[kMessageSize];
    snprintf(key, sizeof key, "%.6f %.6f %s", length, wide, name);
    if (!inReach.insert(key).second) return;
    char fields[kMessageSize];
    snprintf(fields, sizeof fields, trackformat::kPoiInReach.fields, limit, length, wide, name);
    write(trackformat::kPoiInReach, fields);
}

void TrackLog::warning(int level, double km, const char* name, double length, double wide, int limit)
{
    if (!started || lastUtc < 0) return;
    char fields[kMessageSize];
    snprintf(fields, sizeof fields, trackformat::kWarning.fields, level, km, limit, length, wide, name);
    write(trackformat::kWarning, fields);
}

void TrackLog::section(int event, const char* name, int averageKmh, int limitKmh, double km)
{
    if (!started || lastUtc < 0) return;
    char fields[kMessageSize];
    snprintf(fields, sizeof fields, trackformat::kSection.fields, trackformat::kSectionEvents[event], averageKmh,
             limitKmh, km, name);
    write(trackformat::kSection, fields);
}

void TrackLog::spoken(const char* text)
{
    if (started && lastUtc >= 0) write(trackformat::kSpoken, text);
}

void TrackLog::write(const trackformat::Kind& kind, const char* fields)
{
    // A new day moves on to that day's file, as the daily log does.
    if (days.followTheDay(lastMs, keepDays)) beginFile();
    FILE* file = days.get();
    if (!file) return;
    char when[48];
    formatUtc(lastUtc, when, sizeof when);
    fprintf(file, trackformat::kCommon, when, kind.letter, lastLength, lastWide);
    fputs(fields, file);
    fputc('\n', file);
    fflush(file);
    unsynced = true;
    tick(lastMs);
}

void TrackLog::tick(long long nowMs)
{
    if (!unsynced || nowMs - syncedMs < 1000) return;
    syncFile(days.get());
    syncedMs = nowMs;
    unsynced = false;
}
