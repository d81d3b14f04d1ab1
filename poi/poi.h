#pragma once

// One point of interest. Coordinates in decimal degrees as the POI file
// writes them (sign kept); the latches remember which alarm level has
// sounded since the POI was last seen beyond the outer radius.
struct Poi {
    double length;  // longitude
    double wide;    // latitude
    char name[32];
    int alarm1Fired;
    int alarm2Fired;
    int alarm4Fired;
    // The outer radius (km) in force when a level last sounded, when
    // warnSeconds made it larger than configured; the latches clear only
    // beyond it, so that braking after a warning does not arm it again.
    float latchRadius;
};
