// CPoiGuard's own operations on the POI list, the position and the alarm:
// thin calls into poi/, gps/ and alarm/, under the names the program is
// known by.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "alarm/proximity.h"
#include "alarm/sounds.h"
#include "app/poiguard.h"
#include "gps/rmc.h"
#include "geo/geo.h"
#include "poi/loader.h"
#include "poi/ordering.h"
#include "poi/reload.h"

namespace {

// The fix's moment for the track: its own date and time; a receiver that
// sends no date gets the computer's (UTC), one without a time the clock's.
double fixUtc(const RmcFix& fix)
{
    double utc = utcSeconds(fix.date, fix.time);
    if (utc >= 0) return utc;
    double now = static_cast<double>(clockNow());
    double seconds = secondsOfDay(fix.time);
    return seconds < 0 ? now : std::floor(now / 86400) * 86400 + seconds;
}

}  // namespace

CPoiGuard::CPoiGuard() : poiList(nullptr), log(nullptr), effects(log, track, speaker) { setDefaults(); }

// The POI block is the only thing the object owns.
CPoiGuard::~CPoiGuard() { free(poiList); }

void CPoiGuard::setDefaults()
{
    settings = Settings{};
    poiCount = 0;
    lastPosLength = 0.0;
    lastPosWide = 0.0;
    firstSortDone = 0;
    PoiListSorted = 0;
    position = PositionTrack{};
    ordered = OrderedAround{};
    nearby = ProximityIndex{};
    rules = WarningRules{};
}

// A list from an earlier load is replaced, and released with it. The file
// that gives POIs is watched for a new version.
void CPoiGuard::loadPoiList(const char* path)
{
    PoiFile file = readPoiFile(path, log);
    free(poiList);
    poiList = file.list;
    poiCount = file.count;
    forgetOrder();
    if (poiCount == 0) return;
    reload.watch(path);
    effects.of(sections.take(readSections(sectionsPathFor(path), log)));
}

void CPoiGuard::askForReload(const char* why)
{
    if (reload.start()) logMessage(log, "%s: reloading POI list from %s\n", why, reload.path());
}

// A list read anew replaces the one in force only when it was read whole
// and holds POIs; the POIs still at their places keep their latches.
void CPoiGuard::takeReloadedList()
{
    PoiFile read;
    if (!reload.finished(read)) return;
    char why[64] = "";
    if (read.end == kPoiFileMissing) snprintf(why, sizeof why, "cannot open it");
    else if (read.end == kPoiFileNoMemory) snprintf(why, sizeof why, "not enough memory");
    else if (read.end == kPoiFileInvalidLine) snprintf(why, sizeof why, "line %d is not a POI", read.invalidLine);
    else if (read.count == 0) snprintf(why, sizeof why, "it holds no POI");
    if (why[0]) {
        logMessage(log, "ERROR while reloading POI list from %s: %s; the %d POIs loaded before stay in force\n",
                   reload.path(), why, poiCount);
        free(read.list);
        return;
    }
    int kept = keepLatches(poiList, poiCount, read.list, read.count);
    free(poiList);
    poiList = read.list;
    poiCount = read.count;
    PoiListSorted = 0;
    forgetOrder();
    logMessage(log, "SUCCESS Reloading POI list from %s ... found %d POIs, %d of them already announced\n",
               reload.path(), poiCount, kept);
    effects.of(sections.take(readSections(sectionsPathFor(reload.path()), log)));
    sortPoiList();
}

int CPoiGuard::checkSorted()
{
    PoiListSorted = isOrderedByDistance(poiList, poiCount, lastPosLength, lastPosWide);
    return PoiListSorted;
}

int CPoiGuard::sortPoiList()
{
    if (!position.known) return 1;
    if (poiCount >= kOrderAsideFrom && (aside.busy() || aside.start(poiList, poiCount, {lastPosLength, lastPosWide}))) {
        takeOrderedList();
        return 0;
    }
    log->print("\nSorting POI List ");
    logMessage(log, "lastPosLength=%lf   lastPosWide=%lf\n", lastPosLength, lastPosWide);
    std::vector<double> keys;
    orderByDistance(poiList, poiCount, lastPosLength, lastPosWide, &keys);
    ordered.take(lastPosLength, lastPosWide, std::move(keys));
    log->print(" ... ready");
    if (checkSorted()) {
        log->print(" ... list is sorted\n");
        return 0;
    }
    log->print(" ... ERROR in sorting list\n");
    return 1;
}

// A large list's order made aside takes effect: the records moved at once,
// with the latches they hold now, and the ordering's lines printed.
void CPoiGuard::takeOrderedList()
{
    OrderAside::Result done;
    aside.copyOn(poiList);
    if (!aside.finished(done)) return;
    if (done.stale) {  // ordered while a new list came in: order that one, unless it already is
        free(done.list);
        if (ordered.keys.empty()) sortPoiList();
        return;
    }
    if (!done.list) return;  // no memory for the new order: the one in force stays
    carryLatches(poiList, poiCount, done);
    free(poiList);
    poiList = done.list;
    ordered.take(done.around.length, done.around.wide, std::move(done.keys));
    log->print("\nSorting POI List ");
    logMessage(log, "lastPosLength=%lf   lastPosWide=%lf\n", done.around.length, done.around.wide);
    log->print(" ... ready");
    PoiListSorted = done.sorted;
    log->print(done.sorted ? " ... list is sorted\n" : " ... ERROR in sorting list\n");
}

// A new list: the order in force and one being made belong to the old one.
void CPoiGuard::forgetOrder()
{
    ordered.forget();
    aside.forget();
}

int CPoiGuard::parseSentence(char* sentence)
{
    RmcFix fix;
    if (!readRmcSentence(sentence, fix)) return 1;
    return takePosition(fix);
}

// What a valid fix does before it is taken: the jump guard, and the end of
// the estimates through a gap.
int CPoiGuard::takePosition(const RmcFix& fix)
{
    // After estimates the fix is judged against the last fix, not against
    // the estimate: their gap is the estimate's error, not a jump.
    Place last = coast.coasting() ? coast.lastFix() : Place{lastPosLength, lastPosWide};
    switch (position.judge(fix, last.length, last.wide)) {
    case PositionTrack::kRefuse:
    case PositionTrack::kSameEpoch: return 1;
    case PositionTrack::kFollow:
        logMessage(log, "Position jumped %lf km, %d fixes in a row agree: following it\n",
                   greatCircleDistance(lastPosLength, fix.length, lastPosWide, fix.wide), kFixesToFollow);
        firstSortDone = 0;  // the list is ordered around the old place
        break;
    case PositionTrack::kTake: break;
    }
    long long nowMs = static_cast<long long>(GetTickCount64());
    int without = coast.secondsWithout(nowMs);
    Taken p{{fix.length, fix.wide}, fix.kmh, fix.course, secondsOfDay(fix.time), &fix};
    double error = coast.fix(p.at, p.kmh, p.course, nowMs, p.seconds);
    if (error >= 0) logMessage(log, "A fix again after %d s: the estimate was %lf km off\n", without, error);
    take(p, nowMs);
    return 0;
}

void CPoiGuard::carryOn()
{
    long long nowMs = static_cast<long long>(GetTickCount64());
    Place at;
    Coast::Step step = coast.step(nowMs, at);
    if (step == Coast::kGaveUp)
        logMessage(log, "No fix for %d s: no more estimated positions (coastSeconds=%d)\n", coast.secondsWithout(nowMs),
                   settings.coastSeconds);
    if (step == Coast::kEstimated) take({at, coast.kmh(), coast.course(), coast.secondsAt(nowMs), nullptr}, nowMs);
}

void CPoiGuard::take(const Taken& p, long long nowMs)
{
    lastPosLength = p.at.length;
    lastPosWide = p.at.wide;
    if (track.on()) {
        if (p.fix)
            track.fix(fixUtc(*p.fix), nowMs, p.at.length, p.at.wide, p.kmh, p.course);
        else
            track.estimate(nowMs, p.at.length, p.at.wide, p.kmh, p.course);
    }
    if ((firstSortDone == 0 || ordered.farFrom(lastPosLength, lastPosWide)) && sortPoiList() == 0) firstSortDone = 1;
    const std::vector<SectionEvent>& events = followSections(p.at, p.seconds, p.kmh);
    char section[160];
    describeSection(section, sizeof section);
    printPosition(p, nowMs, section);
    effects.of(events);
    rules.moving(p.kmh, p.course);
    checkAlarms(p.at.length, p.at.wide);
}

// A fix's line shows its fields as received and is routine; an estimate's is not.
void CPoiGuard::printPosition(const Taken& p, long long nowMs, const char* section)
{
    if (p.fix)
        logDetail(log, "length=%s (%lf) wide=%s (%lf) PoiListSorted=%d%s\n", p.fix->lengthText, p.at.length,
                  p.fix->wideText, p.at.wide, PoiListSorted, section);
    else
        logMessage(log, "Estimated position length=%lf wide=%lf: no fix for %d s, carried on at %d km/h, course %d%s\n",
                   p.at.length, p.at.wide, coast.secondsWithout(nowMs), static_cast<int>(p.kmh + 0.5),
                   static_cast<int>(p.course + 0.5), section);
}

const std::vector<SectionEvent>& CPoiGuard::followSections(Place at, double seconds, double kmh)
{
    static const std::vector<SectionEvent> none;
    return sections.any() && seconds >= 0 ? sections.update(at, seconds, kmh) : none;
}

void CPoiGuard::describeSection(char* out, int size) const
{
    out[0] = '\0';
    const Section* s = sections.inside();
    if (!s) return;
    int average = static_cast<int>(sections.averageKmh() + 0.5);
    if (sections.allowedKmh() >= 0)
        snprintf(out, static_cast<size_t>(size), " (section %s: average %d km/h, at most %d km/h for the last %.1f km)",
                 s->name, average, static_cast<int>(sections.allowedKmh()), sections.remainingKm());
    else
        snprintf(out, static_cast<size_t>(size), " (section %s: average %d km/h, over %d km/h whatever the speed now)",
                 s->name, average, s->limitKmh);
}

void CPoiGuard::checkAlarms(double length, double wide)
{
    if (PoiListSorted == 0) return;
    nearby.walk(poiList, poiCount, ordered, {length, wide},
                   {settings.treshold_enableAlarm_1, settings.treshold_enableAlarm_2, settings.treshold_enableAlarm_4},
                   rules, proximity);
    effects.of(proximity, rules.kmh());
}
