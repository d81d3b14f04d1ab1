#include "daily_file.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform.h"

DailyFile::~DailyFile()
{
    if (file) fclose(file);
}

void DailyFile::open()
{
    if (file) fclose(file);
    char name[64];
    date = getDate();
    snprintf(name, sizeof name, "logs\\%s%d%s", prefix, date, ending);
    _mkdir("logs");  // usually there already
    file = openFile(name, "a");
}

bool DailyFile::followTheDay(long long nowMs, int keepDays)
{
    if (nowMs < nextCheckMs) return false;
    nextCheckMs = nowMs + 1000;
    if (file && getDate() == date) return false;
    open();
    if (keepDays > 0) removeOldDailyFiles(keepDays);
    return true;
}

void removeOldDailyFiles(int keepDays)
{
    std::tm limit = localClock(clockNow());
    limit.tm_mday -= keepDays;
    limit.tm_hour = 12;  // mktime settles the day, whatever the clock changes
    std::time_t then = mktime(&limit);
    limit = localClock(then);
    char oldest[40];
    snprintf(oldest, sizeof oldest, "%04d%02d%02d", limit.tm_year + 1900, limit.tm_mon + 1, limit.tm_mday);
    // The date of a daily file's name: what lies between its prefix and its ending, 8 digits.
    auto dateOf = [](const std::string& name, const char* prefix, const char* ending) {
        size_t p = strlen(prefix), e = strlen(ending);
        bool daily = name.size() == p + 8 + e && name.compare(0, p, prefix) == 0 && name.compare(p + 8, e, ending) == 0 &&
                     std::all_of(name.begin() + static_cast<long>(p), name.begin() + static_cast<long>(p + 8),
                                 [](char c) { return c >= '0' && c <= '9'; });
        return daily ? name.substr(p, 8) : std::string();
    };
    std::error_code failed;
    for (const auto& entry : std::filesystem::directory_iterator("logs", failed)) {
        std::string name = entry.path().filename().string();
        std::string date = dateOf(name, "log_", ".log");
        if (date.empty()) date = dateOf(name, "track_", ".csv");
        if (!date.empty() && date < oldest) std::filesystem::remove(entry.path(), failed);
    }
}

int getDate()
{
    std::tm t = localClock(clockNow());
    return (t.tm_year + 1900) * 10000 + (t.tm_mon + 1) * 100 + t.tm_mday;
}

