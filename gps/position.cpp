// The jump guard: which fixes are believed.
#include "position.h"

#include <cmath>
#include <cstring>

bool withinJump(double length1, double wide1, double length2, double wide2)
{
    double dLength = fabs(length1 - length2);
    if (dLength > 180.0) dLength = 360.0 - dLength;  // 179.9 E and 179.9 W are neighbours
    return dLength <= kMaxJump && fabs(wide1 - wide2) <= kMaxJump;
}

PositionTrack::Verdict PositionTrack::judge(const RmcFix& fix, double lastLength, double lastWide)
{
    // A receiver that reports each fix under two talkers ($GPRMC and $GARMC
    // with the same time) gives one position per fix, not two.
    if (fix.time[0] != '\0' && strcmp(fix.time, epochTime) == 0 && strcmp(fix.talker, epochTalker) != 0)
        return kSameEpoch;
    memcpy(epochTalker, fix.talker, sizeof epochTalker);
    memcpy(epochTime, fix.time, sizeof epochTime);

    if (!known || withinJump(fix.length, fix.wide, lastLength, lastWide)) {
        known = true;
        agreeing = 0;
        return kTake;
    }
    if (agreeing > 0 && withinJump(fix.length, fix.wide, runLength, runWide))
        ++agreeing;
    else
        agreeing = 1;
    runLength = fix.length;
    runWide = fix.wide;
    if (agreeing < kFixesToFollow) return kRefuse;
    agreeing = 0;
    return kFollow;
}
