#pragma once

#include <cstdint>

constexpr int kNoLimit = 0;      // limitKmh of a POI without a speed limit
constexpr int kAllHeadings = 0;  // heading of a POI that checks every direction

// One point of interest. Coordinates in decimal degrees as the POI file
// writes them (sign kept); the latches remember which alarm level has
// sounded since the POI was last seen beyond the outer radius. 64 bytes:
// the latches are bytes so that the limit and the direction fit where an
// int latch used to be.
struct Poi {
    double length;  // longitude
    double wide;    // latitude
    char name[32];
    uint8_t alarm1Fired;
    uint8_t alarm2Fired;
    uint8_t alarm4Fired;
    uint8_t bothWays;  // 1: the heading and its opposite are checked
    // The outer radius (km) in force when a level last sounded, when
    // warnSeconds made it larger than configured; the latches clear only
    // beyond it, so that braking after a warning does not arm it again.
    float latchRadius;
    int16_t limitKmh;  // the camera's speed limit, kNoLimit for none
    // Degrees true of the traffic it checks, 1 to 360 (north is 360, so that
    // a record of zeros checks every direction), or kAllHeadings.
    int16_t heading;
};

static_assert(sizeof(Poi) == 64, "a POI record is a cache line: an ordering of 100,000 moves them all");

// Whether any of its levels has sounded and waits to be armed again.
inline bool latched(const Poi& p) { return p.alarm1Fired || p.alarm2Fired || p.alarm4Fired; }
