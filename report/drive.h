// A drive as the track files (trackLog=true) hold it, read for the report.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct TrackPoint {
    double utc;  // seconds since 1970
    std::string time;  // as written, ISO 8601 UTC
    double length, wide;
    double kmh, course;  // -1 when unknown
    bool estimated;
    bool newSegment;  // after a gap: the program stopped, or the fixes did
    double km;        // along the drive, from its start
};

struct TrackEvent {
    char kind;  // 'P' POI in reach, 'W' warning, 'S' section event
    double utc;
    std::string time;
    double length, wide;  // the car's
    int level;            // W: 1 (outer) to 3 (inner)
    double km;            // W: to the POI; S: driven in the section
    int limit;            // km/h, 0 for none
    double poiLength, poiWide;  // P, W
    std::string event;    // S: entered, over, left, away, dropped
    int average;          // S: km/h
    std::string name;
    double kmh;    // the car's speed then (-1 unknown)
    double along;  // km along the drive
    std::string said;  // W, S: the phrase said after it (speech=de), from its V record
};

struct Drive {
    std::vector<TrackPoint> points;
    std::vector<TrackEvent> events;
    int skipped = 0;  // lines that are no record (a cut last line, a foreign line)
};

// Adds every record of one track file. False for a file that is no track:
// whole lines, none of them a record (a daily log given by mistake).
bool readTrack(FILE* file, Drive& drive);
// Orders the records by their time and measures the drive: km along it,
// the segments, the speed at each event.
void finishDrive(Drive& drive);

// The output pages.
void writeGpx(const Drive& drive, FILE* out);
void writeHtml(const Drive& drive, FILE* out);

// A name as UTF-8 that XML and the page can hold: a name whose bytes are not
// UTF-8 comes from a Windows list, in Windows-1252; control characters are
// left out.
std::string utf8(const std::string& text);
