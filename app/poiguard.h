#pragma once

#include "alarm/proximity.h"
#include "alarm/sections.h"
#include "alarm/warning_rules.h"
#include "config/settings.h"
#include "gps/coast.h"
#include "gps/framing.h"
#include "gps/position.h"
#include "log/log.h"
#include "log/track.h"
#include "poi/ordering.h"
#include "poi/poi.h"
#include "poi/reload.h"
#include "serial/line_speed.h"

class CSerial;

// Exit statuses of a start-up that ends the program. A service manager must
// not restart the program for a broken configuration, and startProgram=false
// is no failure.
constexpr int kExitNotStarted = 0;  // startProgram=false
constexpr int kExitNoPois = 65;     // no POI could be loaded (sysexits' EX_DATAERR)
constexpr int kExitNoConfig = 66;   // config.txt cannot be read (EX_NOINPUT)
constexpr int kExitBadConfig = 78;  // settings refused, or no comPort (EX_CONFIG)

// Where the receive loop stands between two read passes.
struct ReceiveState {
    int portNumber;
    char device[kPoiFileSize + 16];  // the port by its name, when not by its number
    int portOpen;
    char rxBuffer[1024];
    int rxCount;
    SentenceFramer framer;
    int firstData;
    int lastDataTime;  // seconds since the system started, as nextSortTime
    int nextSortTime;
};

// The application: wires the modules under the names the program is known
// by. The settings are its fields (Settings, from config/); the rest of its
// state is the POI list, the last position taken and the sort state, with
// the records of the later features beside them.
class CPoiGuard : public Settings {
public:
    CPoiGuard();
    ~CPoiGuard();
    CPoiGuard(const CPoiGuard&) = delete;
    CPoiGuard& operator=(const CPoiGuard&) = delete;

    // Start-up; enters the receive loop and returns only when start-up ends
    // the program, with the process exit status (see kExit...).
    int run(Log* log);
    void printStartBanner();
    void printExitBanner();
    bool laterSettingsValid();
    bool laterKeysValid();

    // Settings: every field to its default, then config.txt over them.
    void setDefaults();
    int readConfig(const char* path);

    // POI list.
    void loadPoiList(const char* path);
    void askForReload(const char* why);
    void takeReloadedList();
    static double greatCircleDistance(double length1, double length2, double wide1, double wide2);
    double distanceOf(int i) const;
    void quickSort(int lo, int hi);
    int checkSorted();
    int sortPoiList();
    void takeOrderedList();
    void forgetOrder();

    // Position input.
    int parseSentence(char* sentence);
    static int isNumber(const char* token);
    static double nmeaToDegrees(const char* token);
    int takePosition(const RmcFix& fix);
    // Through a gap in the fixes (coastSeconds): an estimated position when one is due.
    void carryOn();
    // Average-speed sections: the car's way through them followed at each
    // position (its time of day, -1 for none), what happened shown and
    // played; the state inside one, for the position's line.
    const std::vector<SectionEvent>& followSections(Place at, double seconds);
    void announceSections(const std::vector<SectionEvent>& events);
    void describeSection(char* out, int size) const;

    // Proximity alarm: the walk's findings shown, their sounds played.
    void checkAlarms(double length, double wide);
    void announce(const ProximityReport& report);

    // Receive loop, in the pieces that run() repeats for ever.
    void receiveLoop(CSerial& serial, int portNumber);
    void setupReceive(CSerial& serial, ReceiveState& st);
    void connect(CSerial& serial, ReceiveState& st);
    int readPass(CSerial& serial, ReceiveState& st);  // 0 when the connection ends
    void disconnect(CSerial& serial, ReceiveState& st);
    void takeBytes(ReceiveState& st, const char* bytes, int count);

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
    OrderAside aside;
    PoiReload reload;
    LineSpeed lineSpeed;
    WarningRules rules;
    ProximityReport proximity;
    Coast coast;
    SectionWatch sections;
    TrackLog track;
};

// Local time of day as HHMMSS.
int getTimeOfDay();
