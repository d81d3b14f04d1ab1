// Where the car is, as far as the receiver can be believed.
#pragma once

#include "rmc.h"

// Fixes in a row that must agree on a new place before the jump guard
// follows it: one wild fix is refused, a true jump (a ferry, a laptop
// resumed 200 km on) is followed within seconds.
constexpr int kFixesToFollow = 5;

// Largest change of either coordinate between two fixes, degrees.
constexpr double kMaxJump = 1.0;

class PositionTrack {
public:
    enum Verdict {
        kTake,       // the first fix, or one near the last taken
        kFollow,     // the last of kFixesToFollow that agree on a new place
        kRefuse,     // too far from the last fix taken
        kSameEpoch,  // the fix just judged, reported again by another talker
    };
    // Judges a valid fix against the last position taken (lastLength,
    // lastWide), which counts only once known is set.
    Verdict judge(const RmcFix& fix, double lastLength, double lastWide);

    bool known = false;  // a position has been taken

private:
    char epochTalker[3] = "";
    char epochTime[kRmcFieldSize] = "";
    int agreeing = 0;  // refused fixes in a row, each near the one before
    double runLength = 0;
    double runWide = 0;
};

// Both coordinates within kMaxJump of each other, across the date line too.
bool withinJump(double length1, double wide1, double length2, double wide2);
