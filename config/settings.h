// The settings config.txt can give, with their defaults, and its reader.
#pragma once

#include "log/log.h"

constexpr int kPoiFileSize = 256;    // poiFile, terminating NUL included
constexpr int kKeyTextSize = 32;     // the value of a later key, as written (cut to fit)
constexpr int kNoComPort = -1;

// The line speeds a receiver may run at, in the order baudRate=auto tries
// them: many USB pucks run at 4800, many receivers leave the factory at 9600.
constexpr int kReceiverSpeeds[] = {4800, 9600, 19200, 38400, 57600, 115200};
constexpr int kAutoBaud = -1;  // baudRate=auto

constexpr int kMaxWarnSeconds = 60;
constexpr int kMaxLogKeepDays = 3650;
constexpr int kMaxCoastSeconds = 600;

// The keys added after the original ten, in the order start-up shows and
// checks them.
enum LaterKeyId {
    kKeyBaudRate,
    kKeyWarnAheadOnly,
    kKeyWarnSeconds,
    kKeyCheckDirections,
    kKeyWarnOverLimitOnly,
    kKeyLogKeepDays,
    kKeyQuietConsole,
    kKeyCoastSeconds,
    kKeyTrackLog,
    kLaterKeyCount
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
    char poiFile[kPoiFileSize] = "vodudo\\gefahr.csv";
    // comPort given as neither a number nor COM<N>: a device path
    // (/dev/ttyACM0), or a value start-up refuses. Empty otherwise.
    char comDevice[kPoiFileSize] = "";

    // The later keys, read once into what they mean; each keeps its default
    // while not given, or while its value is refused.
    int baudRate = 0;  // 0: not given, the port's 38400; kAutoBaud; or one of kReceiverSpeeds
    bool warnAheadOnly = false;
    int warnSeconds = 0;  // 0: not given
    bool checkDirections = true;
    bool warnOverLimitOnly = false;
    int logKeepDays = 0;  // 0: not given, files kept for ever
    bool quietConsole = false;
    int coastSeconds = 0;  // 0: no position is estimated without a fix
    bool trackLog = false;  // the drive written to logs\track_YYYYMMDD.csv
    // Each later key as written (empty while not given), for start-up to
    // show it, and whether its value was refused.
    char written[kLaterKeyCount][kKeyTextSize] = {};
    bool refused[kLaterKeyCount] = {};

    // gpsd=HOST or HOST:PORT: positions from gpsd instead of a serial port.
    char gpsd[kPoiFileSize] = "";
};

// One row of the table of later keys: its name, what its value may be, and
// where it goes.
struct LaterKey {
    const char* name;
    enum Kind { kSwitch, kWhole, kSpeed } kind;
    bool Settings::*flag;  // a switch: true or false
    int Settings::*number;  // a whole number from least to most, or a line speed
    int least;
    int most;
    const char* unit;  // of the whole number, for its message
};
extern const LaterKey kLaterKeys[kLaterKeyCount];

// What start-up says of a refused value: "give true or false".
void describeAllowed(const LaterKey& key, char* out, int size);

// Whether comDevice names a device: a path, with a folder separator.
bool isDevicePath(const char* value);

// Reads config.txt into the settings; keys it does not give keep their
// values. False when the file cannot be opened (reported).
//
//   # a comment (only in the first column)
//   startProgram=true
//   comPort = 3
//   poiFile="vodudo\gefahr.csv";
//
// '=', ';' and '"' are blanks; a line counts only when it holds exactly a
// key and a value.
bool readSettings(const char* path, Settings& settings, Log* log);
