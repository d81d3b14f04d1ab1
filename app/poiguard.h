#pragma once

#include "alarm/proximity.h"
#include "alarm/sections.h"
#include "alarm/warning_rules.h"
#include "app/effects.h"
#include "config/settings.h"
#include "gps/coast.h"
#include "gps/framing.h"
#include "gps/position.h"
#include "log/log.h"
#include "log/track.h"
#include "poi/ordering.h"
#include "poi/poi.h"
#include "poi/reload.h"
#include "serial/source.h"
#include "speech/speaker.h"

class NmeaSource;

// Exit statuses of a start-up that ends the program. A service manager must
// not restart the program for a broken configuration, and startProgram=false
// is no failure.
constexpr int kExitNotStarted = 0;  // startProgram=false
constexpr int kExitNoPois = 65;     // no POI could be loaded (sysexits' EX_DATAERR)
constexpr int kExitNoConfig = 66;   // config.txt cannot be read (EX_NOINPUT)
constexpr int kExitBadConfig = 78;  // settings refused, or no comPort (EX_CONFIG)
constexpr int kStarted = -1;        // start-up went through: the receive loop runs

// Where the receive loop stands between two read passes.
struct ReceiveState {
    NmeaSource* source;  // none while only bytes are handed in (captures)
    int portOpen;
    char rxBuffer[1024];
    int rxCount;
    SentenceFramer framer;
    int firstData;
    int lastDataTime;  // seconds since the system started, as nextSortTime
    int nextSortTime;
};

// One position the program takes: a fix, or one carried on through a gap
// in the fixes.
struct Taken {
    Place at;
    double kmh;         // speed over ground; -1 when unknown
    double course;      // degrees true; -1 when unknown
    double seconds;     // its time of day; -1 for none
    const RmcFix* fix;  // the fix it is; null for an estimate
};

// The application: wires the modules under the names the program is known
// by. It holds the settings (config/), the POI list, the last position
// taken and the sort state, with the records of the later features beside
// them.
class CPoiGuard {
public:
    CPoiGuard();
    ~CPoiGuard();
    CPoiGuard(const CPoiGuard&) = delete;
    CPoiGuard& operator=(const CPoiGuard&) = delete;

    // Start-up; enters the receive loop and returns only when start-up ends
    // the program, with the process exit status (see kExit...), or after
    // the given number of connections (-1: never).
    int run(Log* log, int connections = -1);
    void printStartBanner();
    void printExitBanner();
    // Start-up's steps: kStarted, or the exit status that ends the program.
    // The source of NMEA bytes is chosen once the settings are read (new, the caller's).
    int start(NmeaSource*& source);
    void showSettings();
    int checkSettings();
    int loadList();

    // Settings: every field to its default, then config.txt over them.
    void setDefaults();
    int readConfig(const char* path);

    // POI list.
    void loadPoiList(const char* path);
    void askForReload(const char* why);
    void takeReloadedList();
    int checkSorted();
    int sortPoiList();
    void takeOrderedList();
    void forgetOrder();

    // Position input.
    int parseSentence(char* sentence);
    // A valid fix: the jump guard and the end of estimates, then taken.
    int takePosition(const RmcFix& fix);
    // Through a gap in the fixes (coastSeconds): an estimated position when one is due.
    void carryOn();
    // Every position, a fix or an estimate (nowMs: the steady clock).
    void take(const Taken& p, long long nowMs);
    void printPosition(const Taken& p, long long nowMs, const char* section);
    // Average-speed sections: the car's way through them followed at each
    // position (its time of day, -1 for none, and its speed in km/h); the
    // state inside one, for the position's line.
    const std::vector<SectionEvent>& followSections(Place at, double seconds, double kmh);
    void describeSection(char* out, int size) const;

    // Proximity alarm: the walk, and its findings' effects.
    void checkAlarms(double length, double wide);

    // Receive loop, in the pieces that run() repeats: for ever, or for
    // the given number of connections.
    void receiveLoop(NmeaSource& source, int connections = -1);
    void setupReceive(ReceiveState& st);
    void connect(ReceiveState& st);
    int readPass(ReceiveState& st);  // 0 when the connection ends
    void disconnect(ReceiveState& st);
    void takeBytes(ReceiveState& st, const char* bytes, int count);

    Settings settings;
    Poi* poiList;
    int poiCount;
    double lastPosLength;
    double lastPosWide;
    int firstSortDone;
    int PoiListSorted;
    Log* log;

    // Beyond the original settings and state, each in a record of its own.
    PositionTrack position;
    OrderedAround ordered;
    ProximityIndex nearby;
    OrderAside aside;
    PoiReload reload;
    WarningRules rules;
    ProximityReport proximity;
    Coast coast;
    SectionWatch sections;
    TrackLog track;
    Speaker speaker;
    Effects effects;
};

// Local time of day as HHMMSS.
int getTimeOfDay();
