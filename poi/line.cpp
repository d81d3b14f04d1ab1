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

// Splits a data line into exactly three tokens: longitude, latitude, name.
bool splitPoiLine(char* line, char* tokens[3])
{
    int count = 0;
    for (char* p = line; *p;) {
        while (isBlank(*p)) ++p;
        if (!*p) break;
        if (count == 3) return false;
        tokens[count++] = p;
        while (*p && !isBlank(*p)) ++p;
        if (*p) *p++ = '\0';
    }
    return count == 3;
}

}  // namespace

bool isPoiDataLine(const char* line) { return line[0] != '%' && line[0] != '#' && strlen(line) >= 2; }

bool readPoiLine(char* line, Poi& poi)
{
    for (char* p = line; *p; ++p)
        if (*p == ',') *p = ' ';
    char* tokens[3];
    if (!splitPoiLine(line, tokens) || !readCoordinate(tokens[0], poi.length) || !readCoordinate(tokens[1], poi.wide))
        return false;
    snprintf(poi.name, sizeof poi.name, "%s", tokens[2]);  // longer names are cut
    poi.alarm1Fired = 0;
    poi.alarm2Fired = 0;
    poi.alarm4Fired = 0;
    poi.latchRadius = 0;
    return true;
}
