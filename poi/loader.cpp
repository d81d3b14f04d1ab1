#include "loader.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "line.h"

namespace {

constexpr int kLineLimit = 1023;  // read limit, terminating NUL included

}  // namespace

PoiFile readPoiFile(const char* path, Log* log)
{
    if (log) logMessage(log, "Loading POI list from %s\n", path);
    FILE* file = openFile(path, "r");
    if (!file) {
        if (log) {
            const char* why = strerror(errno);
            logMessage(log, "ERROR while opening file %s\n", path);
            logMessage(log, "    %s (as user %s)\n", why, userName());
        }
        return {nullptr, 0, kPoiFileMissing, 0};
    }

    char line[kMessageSize];
    int capacity = 0;
    while (readTextLine(line, kLineLimit, file))
        if (isPoiDataLine(line)) ++capacity;

    // The block is allocated once, at its final size.
    PoiFile result{static_cast<Poi*>(malloc(sizeof(Poi) * static_cast<size_t>(capacity > 0 ? capacity : 1))), 0,
                   kPoiFileWhole, 0};
    if (!result.list) {
        if (log) logMessage(log, "ERROR, not enough memory for %d POIs\n", capacity);
        fclose(file);
        result.end = kPoiFileNoMemory;
        return result;
    }

    // Not fseek to where the first pass began: on Windows ftell miscounts a
    // text file with Unix line ends.
    rewind(file);
    skipByteOrderMark(file, "r");
    // Stops at the block's end too, should the file have grown meanwhile.
    // Lines are counted as read, a long one in pieces.
    for (int number = 1; result.count < capacity && readTextLine(line, kLineLimit, file); ++number) {
        if (!isPoiDataLine(line)) continue;
        char asWritten[kMessageSize];
        snprintf(asWritten, sizeof asWritten, "%.*s", static_cast<int>(strcspn(line, "\r\n")), line);
        if (!readPoiLine(line, result.list[result.count])) {
            if (log) {
                log->print("ERROR, while reading file, found invalid line\n");
                log->print("format should be that way:\n");
                log->print("GPS_LENTGH_DECIMAL, GPS_WIDE_DECIMAL, NAME\n");
                log->print("e.g. 9.12700, 53.07033, \"[2974]\"\n");
                // Without this, the POIs after it would be gone without a word.
                int after = capacity - result.count - 1;
                logMessage(log, "    %s line %d: %.80s: not longitude, latitude, name (a decimal point, commas "
                                "between); %d line%s after it not read. Mend it, or put # first to skip it\n",
                           path, number, asWritten, after, after == 1 ? "" : "s");
            }
            result.end = kPoiFileInvalidLine;
            result.invalidLine = number;
            break;
        }
        ++result.count;
    }
    fclose(file);
    if (log) logMessage(log, "SUCCESS Loading POI list from %s ... ready, found %d POIs\n", path, result.count);
    return result;
}
