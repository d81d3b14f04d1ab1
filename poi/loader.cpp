#include "loader.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kLineLimit = 1023;  // read limit, terminating NUL included

bool isDataLine(const char* line) { return line[0] != '%' && line[0] != '#' && strlen(line) >= 2; }

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

PoiFile readPoiFile(const char* path, Log* log)
{
    logMessage(log, "Loading POI list from %s\n", path);
    FILE* file = openFile(path, "r");
    if (!file) {
        logMessage(log, "ERROR while opening file %s\n", path);
        return {nullptr, 0, kPoiFileMissing};
    }

    char line[kMessageSize];
    int capacity = 0;
    while (readTextLine(line, kLineLimit, file))
        if (isDataLine(line)) ++capacity;

    // The block is allocated once, at its final size.
    PoiFile result{static_cast<Poi*>(malloc(sizeof(Poi) * static_cast<size_t>(capacity > 0 ? capacity : 1))), 0,
                   kPoiFileWhole};
    if (!result.list) {
        logMessage(log, "ERROR, not enough memory for %d POIs\n", capacity);
        fclose(file);
        result.end = kPoiFileNoMemory;
        return result;
    }

    rewind(file);
    // Stops at the block's end too, should the file have grown meanwhile.
    while (result.count < capacity && readTextLine(line, kLineLimit, file)) {
        if (!isDataLine(line)) continue;
        for (char* p = line; *p; ++p)
            if (*p == ',') *p = ' ';
        char* tokens[3];
        Poi& poi = result.list[result.count];
        if (!splitPoiLine(line, tokens) || !readCoordinate(tokens[0], poi.length) ||
            !readCoordinate(tokens[1], poi.wide)) {
            log->print("ERROR, while reading file, found invalid line\n");
            log->print("format should be that way:\n");
            log->print("GPS_LENTGH_DECIMAL, GPS_WIDE_DECIMAL, NAME\n");
            log->print("e.g. 9.12700, 53.07033, \"[2974]\"\n");
            result.end = kPoiFileInvalidLine;
            break;
        }
        snprintf(poi.name, sizeof poi.name, "%s", tokens[2]);  // longer names are cut
        poi.alarm1Fired = 0;
        poi.alarm2Fired = 0;
        poi.alarm4Fired = 0;
        poi.latchRadius = 0;
        ++result.count;
    }
    fclose(file);
    logMessage(log, "SUCCESS Loading POI list from %s ... ready, found %d POIs\n", path, result.count);
    return result;
}
