// Great-circle distance and keeping the POI list nearest-first, so that the
// proximity check can stop at the first POI beyond its search radius.
#include <cmath>
#include <cstring>

#include "app/poiguard.h"

namespace {

constexpr double kPi = 3.14159265;  // the program's own value, kept for its distances
constexpr double kHalfTurn = 180.0;
constexpr double kEarthRadiusKm = 6371.0;

double toRadians(double degrees) { return degrees / kHalfTurn * kPi; }

void swapPoi(Poi& a, Poi& b)
{
    Poi t = a;
    a = b;
    b = t;
}

}  // namespace

// Spherical law of cosines.
double CPoiGuard::greatCircleDistance(double length1, double length2, double wide1, double wide2)
{
    double s = sin(toRadians(wide2)) * sin(toRadians(wide1));
    double c = cos(toRadians(wide2)) * cos(toRadians(wide1));
    double d = toRadians(length1) - toRadians(length2);
    double x = cos(d) * c + s;
    // Rounding can carry x past 1 when both points are the same; acos would
    // then give NaN, which no comparison of the sort or the alarm can order.
    if (x > 1.0) x = 1.0;
    if (x < -1.0) x = -1.0;
    return acos(x) * kEarthRadiusKm;
}

double CPoiGuard::distanceOf(int i) const
{
    return greatCircleDistance(lastPosLength, poiList[i].length, lastPosWide, poiList[i].wide);
}

void CPoiGuard::quickSort(int lo, int hi)
{
    int i = lo;
    int j = hi;
    if (lo > hi) return;
    double pivot = distanceOf(lo + (hi - lo) / 2);
    while (i <= j) {
        while (distanceOf(i) < pivot) ++i;
        while (distanceOf(j) > pivot) --j;
        if (i <= j) {
            if (i != j) swapPoi(poiList[i], poiList[j]);
            ++i;
            --j;
        }
    }
    if (lo < j) quickSort(lo, j);
    if (i < hi) quickSort(i, hi);
}

int CPoiGuard::checkSorted()
{
    int result = 1;
    for (int i = 0; i < poiCount - 1; ++i) {
        double first = distanceOf(i);
        double second = distanceOf(i + 1);
        if (!(second >= first)) {
            result = 0;
            break;
        }
    }
    PoiListSorted = result;
    return result;
}

int CPoiGuard::sortPoiList()
{
    if (!(lastPosLength >= kPositionGuard && lastPosWide >= kPositionGuard)) return 1;
    log->print("\nSorting POI List ");
    logMessage(log, "lastPosLength=%lf   lastPosWide=%lf\n", lastPosLength, lastPosWide);
    quickSort(0, poiCount - 1);
    log->print(" ... ready");
    if (checkSorted()) {
        log->print(" ... list is sorted\n");
        return 0;
    }
    log->print(" ... ERROR in sorting list\n");
    return 1;
}
