// What a valid fix does: the jump guard, then the position taken, logged
// and checked against the POI list.
#include "position.h"

#include <cmath>
#include <cstring>

#include "app/poiguard.h"

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

int CPoiGuard::takePosition(const RmcFix& fix)
{
    switch (position.judge(fix, lastPosLength, lastPosWide)) {
    case PositionTrack::kRefuse:
    case PositionTrack::kSameEpoch: return 1;
    case PositionTrack::kFollow:
        logMessage(log, "Position jumped %lf km, %d fixes in a row agree: following it\n",
                   greatCircleDistance(lastPosLength, fix.length, lastPosWide, fix.wide), kFixesToFollow);
        firstSortDone = 0;  // the list is ordered around the old place
        break;
    case PositionTrack::kTake: break;
    }
    lastPosLength = fix.length;
    lastPosWide = fix.wide;
    if (firstSortDone == 0 && sortPoiList() == 0) firstSortDone = 1;

    logMessage(log, "length=%s (%lf) wide=%s (%lf) PoiListSorted=%d\n", fix.lengthText, lastPosLength, fix.wideText,
               lastPosWide, PoiListSorted);
    rules.moving(fix.knots, fix.course);
    checkAlarms(lastPosLength, lastPosWide);
    return 0;
}
