// Settings: their defaults, and the reader of config.txt.
//
//   # a comment (only in the first column)
//   startProgram=true
//   comPort = 3
//   poiFile="vodudo\gefahr.csv";
//
// '=', ';' and '"' are blanks; a line counts only when it holds exactly a key
// and a value.
#include <cstdlib>
#include <cstring>

#include "app/poiguard.h"

namespace {

constexpr double kDefaultRadius1 = 0.3;   // km
constexpr double kDefaultRadius2 = 0.15;  // km
constexpr double kDefaultRadius4 = 0.05;  // km
constexpr int kDefaultMaxTimeNoData = 30;    // s
constexpr int kDefaultUpdateInterval = 300;  // s
constexpr int kNoComPort = -1;
constexpr const char* kDefaultPoiFile = "vodudo\\gefahr.csv";

void blankOut(char* line, char c)
{
    for (char* p = line; *p; ++p)
        if (*p == c) *p = ' ';
}

// Sets a 0/1 switch from "true" or "false"; any other value is refused.
bool setSwitch(int& field, const char* value)
{
    if (strcmp(value, "false") == 0) {
        field = 0;
        return true;
    }
    if (strcmp(value, "true") == 0) {
        field = 1;
        return true;
    }
    return false;
}

}  // namespace

CPoiGuard::CPoiGuard() : poiList(nullptr), log(nullptr) { setDefaults(); }

// The POI block is the only thing the object owns.
CPoiGuard::~CPoiGuard() { free(poiList); }

void CPoiGuard::setDefaults()
{
    poiCount = 0;
    lastPosLength = 0.0;
    lastPosWide = 0.0;
    treshold_enableAlarm_1 = kDefaultRadius1;
    treshold_enableAlarm_2 = kDefaultRadius2;
    treshold_enableAlarm_4 = kDefaultRadius4;
    startProgram = 0;
    fullOutput = 0;
    maxTimeNoData = kDefaultMaxTimeNoData;
    updateInterval = kDefaultUpdateInterval;
    firstSortDone = 0;
    comPort = kNoComPort;
    writeLogFile = 0;
    snprintf(poiFile, sizeof poiFile, "%s", kDefaultPoiFile);
    PoiListSorted = 0;
    position = PositionTrack{};
    lineSpeed = LineSpeed{};
    rules = WarningRules{};
}

int CPoiGuard::readConfig(const char* path)
{
    FILE* file = openFile(path, "r");
    if (!file) {
        logMessage(log, "ERROR, while reading %s\n", path);
        return 1;
    }
    char line[kMessageSize];
    char key[kMessageSize];
    char value[kMessageSize];
    char extra[kMessageSize];
    while (readTextLine(line, kMessageSize - 1, file)) {
        if (line[0] == '%' || line[0] == '#' || strlen(line) < 2) continue;
        blankOut(line, '=');
        blankOut(line, ';');
        blankOut(line, '"');
        if (sscanf(line, "%1023s %1023s %1023s", key, value, extra) != 2) continue;

        bool known = true;
        if (strcmp(key, "treshold_enableAlarm_1") == 0) treshold_enableAlarm_1 = atof(value);
        else if (strcmp(key, "treshold_enableAlarm_2") == 0) treshold_enableAlarm_2 = atof(value);
        else if (strcmp(key, "treshold_enableAlarm_4") == 0) treshold_enableAlarm_4 = atof(value);
        else if (strcmp(key, "startProgram") == 0) known = setSwitch(startProgram, value);
        else if (strcmp(key, "fullOutput") == 0) known = setSwitch(fullOutput, value);
        else if (strcmp(key, "updateInterval") == 0) updateInterval = atoi(value);
        else if (strcmp(key, "maxTimeNoData") == 0) maxTimeNoData = atoi(value);
        else if (strcmp(key, "poiFile") == 0) {
            if (strlen(value) < sizeof poiFile)
                memcpy(poiFile, value, strlen(value) + 1);
            else
                logMessage(log, "ERROR, poiFile is longer than %d characters, keeping %s\n",
                           static_cast<int>(sizeof poiFile) - 1, poiFile);
        }
        else if (strcmp(key, "comPort") == 0) comPort = atoi(value);
        else if (strcmp(key, "writeLogFile") == 0) known = setSwitch(writeLogFile, value);
        else if (strcmp(key, "baudRate") == 0) lineSpeed.configure(value);
        else if (strcmp(key, "warnAheadOnly") == 0) rules.configureAheadOnly(value);
        else if (strcmp(key, "warnSeconds") == 0) rules.configureSeconds(value);
        else known = false;

        if (!known) logMessage(log, "UNKOWN element %s\n", key);
    }
    fclose(file);
    return 0;
}
