// The settings config.txt can give: one table of every key, its kind and
// its default, and the one reader that walks it.
#pragma once

#include <string>
#include <vector>

#include "log/log.h"

constexpr int kTextSize = 256;  // a text value (poiFile, gpsd, a device), terminating NUL included
constexpr int kPoiFileSize = kTextSize;
constexpr int kNoComPort = -1;

// The line speeds a receiver may run at, in the order baudRate=auto tries
// them: many USB pucks run at 4800, many receivers leave the factory at 9600.
constexpr int kReceiverSpeeds[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kAutoBaud = -1;  // baudRate=auto

constexpr int kMaxWarnSeconds = 60;
constexpr int kMaxLogKeepDays = 3650;
constexpr int kMaxCoastSeconds = 600;

// Every key, in the order start-up shows and checks them: the original ten,
// then the later ones, then gpsd.
enum SettingId {
    kStartProgram,
    kComPort,
    kTreshold1,
    kTreshold2,
    kTreshold4,
    kFullOutput,
    kUpdateInterval,
    kMaxTimeNoData,
    kPoiFile,
    kWriteLogFile,
    kBaudRate,
    kWarnAheadOnly,
    kWarnSeconds,
    kCheckDirections,
    kWarnOverLimitOnly,
    kLogKeepDays,
    kQuietConsole,
    kCoastSeconds,
    kTrackLog,
    kSpeech,
    kGpsd,
    kSettingCount
};

struct Settings {
    double treshold_enableAlarm_1 = 0.3;  // km: the outer radius, one ding
    double treshold_enableAlarm_2 = 0.15;  // km: two dings
    double treshold_enableAlarm_4 = 0.05;  // km: four dings and the warning
    int startProgram = 0;
    int fullOutput = 0;
    int maxTimeNoData = 30;    // s
    int updateInterval = 300;  // s
    int comPort = kNoComPort;
    int writeLogFile = 0;
    char poiFile[kTextSize] = "vodudo\\gefahr.csv";
    // comPort given as neither a number nor COM<N>: a device path
    // (/dev/ttyACM0), or a value start-up refuses. Empty otherwise.
    char comDevice[kTextSize] = "";

    // The later keys; each keeps its default while not given, or while its
    // value is refused.
    int baudRate = 0;  // 0: not given, the port's 38400; kAutoBaud; or one of kReceiverSpeeds
    int warnAheadOnly = 0;
    int warnSeconds = 0;  // 0: not given
    int checkDirections = 1;
    int warnOverLimitOnly = 0;
    int logKeepDays = 0;  // 0: not given, files kept for ever
    int quietConsole = 0;
    int coastSeconds = 0;  // 0: no position is estimated without a fix
    int trackLog = 0;  // the drive written to logs\track_YYYYMMDD.csv
    // speech=de: the warnings spoken in a language of speech/phrases.cpp; empty: sounds alone.
    char speech[kTextSize] = "";
    // gpsd=HOST or HOST:PORT: positions from gpsd instead of a serial port.
    char gpsd[kTextSize] = "";

    // Each key as last written (empty while not given), and why start-up
    // refuses its value (nullptr: taken).
    char written[kSettingCount][kTextSize] = {};
    const char* refused[kSettingCount] = {};
};

// One row of the table.
struct Setting {
    const char* name;
    enum Kind { kNumber, kWhole, kSwitch, kText, kPort } kind;
    // One of the original ten: always shown, numbers read as far as they go,
    // a switch other than true or false reported while reading. A later key
    // is shown only when given, as written, and a value outside what it
    // allows stops start-up.
    bool original;
    double Settings::*number;
    int Settings::*whole;  // a whole number, a switch (0 or 1), the port's number
    char (Settings::*text)[kTextSize];
    int least = 0;  // a later whole number's range
    int most = 0;
    bool lineSpeed = false;  // one of kReceiverSpeeds, or auto
    const char* allowed = nullptr;  // what start-up says of a refused value
    const char* (*refuse)(const char* value) = nullptr;  // or why, by a rule of the key's own
    const char* shown = "";  // after a later key's value in start-up's list
};
extern const Setting kSettings[kSettingCount];

// What reading found wrong with a line: the program's own line (when it has
// one) and the one after it that says how to mend it.
struct ConfigNote {
    std::string said;
    std::string hint;
};

// Reads config.txt into the settings; keys it does not give keep their
// values. Nothing is printed: the notes say what was not taken.
//
//   # a comment (only in the first column)
//   startProgram=true
//   comPort = 3
//   poiFile="vodudo\gefahr.csv";
//
// '=', ';' and '"' are blanks; a line counts only when it holds exactly a
// key and a value.
struct ConfigRead {
    bool opened = false;
    int error = 0;  // errno, when it could not be opened
    std::vector<ConfigNote> notes;
};
ConfigRead readSettings(const char* path, Settings& settings);

// The nearest key to a misspelt one (a letter or two apart, or in other
// capitals); nullptr when none is that near.
const char* nearestKey(const char* key);

// Whether comDevice names a device: a path, with a folder separator.
bool isDevicePath(const char* value);
