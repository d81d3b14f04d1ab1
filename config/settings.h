// The settings config.txt can give, with their defaults, and its reader.
#pragma once

#include "log/log.h"

constexpr int kPoiFileSize = 256;    // poiFile, terminating NUL included
constexpr int kKeyTextSize = 32;     // the value of a later key, as written (cut to fit)
constexpr int kNoComPort = -1;

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

    // Keys added after the original ten: their value as written, empty while
    // the key is not given. Each module that uses one reads its own value.
    char baudRate[kKeyTextSize] = "";
    char warnAheadOnly[kKeyTextSize] = "";
    char warnSeconds[kKeyTextSize] = "";
    char checkDirections[kKeyTextSize] = "";
    char warnOverLimitOnly[kKeyTextSize] = "";
    char logKeepDays[kKeyTextSize] = "";
    char quietConsole[kKeyTextSize] = "";
    // gpsd=HOST or HOST:PORT: positions from gpsd instead of a serial port.
    char gpsd[kPoiFileSize] = "";
};

// Whether comDevice names a device: a path, with a folder separator.
bool isDevicePath(const char* value);

// Reads config.txt into the settings; keys it does not give keep their
// values. 0 when the file was read, 1 when it cannot be opened (reported).
//
//   # a comment (only in the first column)
//   startProgram=true
//   comPort = 3
//   poiFile="vodudo\gefahr.csv";
//
// '=', ';' and '"' are blanks; a line counts only when it holds exactly a
// key and a value.
int readSettings(const char* path, Settings& settings, Log* log);
