#include "line.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A coordinate is a whole token that reads as a finite number.
bool readCoordinate(const char* token, double& value)
{
    char* end = nullptr;
    value = strtod(token, &end);
    return end != token && *end == '\0' && std::isfinite(value);
}

bool isBlank(char c) { return isspace(static_cast<unsigned char>(c)) != 0; }  // the program never changes the locale

constexpr int kMaxTokens = 5;  // longitude, latitude, name, limit, direction
constexpr int kMaxLimitKmh = 300;

// Splits a data line into its three to five tokens; 0 when it has more or fewer.
int splitPoiLine(char* line, char* tokens[kMaxTokens])
{
    int count = 0;
    for (char* p = line; *p;) {
        while (isBlank(*p)) ++p;
        if (!*p) break;
        if (count == kMaxTokens) return 0;
        tokens[count++] = p;
        while (*p && !isBlank(*p)) ++p;
        if (*p) *p++ = '\0';
    }
    return count >= 3 ? count : 0;
}

// A whole number of at most three digits; *end is where it stopped.
bool readWhole(const char* token, int& value, const char** end)
{
    value = 0;
    const char* p = token;
    while (*p >= '0' && *p <= '9' && p - token < 3) value = value * 10 + (*p++ - '0');
    *end = p;
    return p != token;
}

bool readLimit(const char* token, int16_t& limit)
{
    int kmh = kNoLimit;
    const char* end = token + 1;
    if (strcmp(token, "-") != 0 && (!readWhole(token, kmh, &end) || kmh > kMaxLimitKmh)) return false;
    limit = static_cast<int16_t>(kmh);
    return *end == '\0';
}

// Whole degrees, 0 to 360 (north either way), written with or without
// a fraction of zeros ("360.0"); *end is where it stopped.
bool readHeading(const char* token, int& value, const char** end)
{
    if (!readWhole(token, value, end) || value > 360) return false;
    if (**end == '.' && (*end)[1] == '0') *end += strspn(*end + 1, "0") + 1;
    return true;
}

// "-", "D" or "D/E" with E the opposite of D.
bool readDirection(const char* token, int16_t& heading, uint8_t& bothWays)
{
    heading = kAllHeadings;
    bothWays = 0;
    if (strcmp(token, "-") == 0) return true;
    int first, second;
    const char* end;
    if (!readHeading(token, first, &end)) return false;
    if (*end == '/') {
        if (!readHeading(end + 1, second, &end) || second % 360 != (first + 180) % 360) return false;
        bothWays = 1;
    }
    heading = static_cast<int16_t>(first % 360 == 0 ? 360 : first);
    return *end == '\0';
}

}  // namespace

bool isPoiDataLine(const char* line) { return line[0] != '%' && line[0] != '#' && strlen(line) >= 2; }

bool readPoiLine(char* line, Poi& poi)
{
    for (char* p = line; *p; ++p)
        if (*p == ',') *p = ' ';
    char* tokens[kMaxTokens];
    int count = splitPoiLine(line, tokens);
    poi.limitKmh = kNoLimit;
    if (count == 0 || !readCoordinate(tokens[0], poi.length) || !readCoordinate(tokens[1], poi.wide) ||
        (count > 3 && !readLimit(tokens[3], poi.limitKmh)) ||
        !readDirection(count > 4 ? tokens[4] : "-", poi.heading, poi.bothWays))
        return false;
    snprintf(poi.name, sizeof poi.name, "%s", tokens[2]);  // longer names are cut
    poi.alarm1Fired = 0;
    poi.alarm2Fired = 0;
    poi.alarm4Fired = 0;
    poi.latchRadius = 0;
    return true;
}
