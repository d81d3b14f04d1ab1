#include "settings.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

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

// Longer values are cut to fit.
template <size_t N>
void keepText(char (&field)[N], const char* value)
{
    size_t length = strnlen(value, sizeof field - 1);
    memcpy(field, value, length);
    field[length] = '\0';
}

// comPort=3 as always (atoi: whatever number the value begins with), and
// comPort=COM3 as Windows names the port; anything else is kept as a name.
void readComPort(Settings& s, const char* value)
{
    const char* digits = value + (value[0] == '-' || value[0] == '+');
    bool windowsName = strncmp(value, "COM", 3) == 0 && value[3] && strspn(value + 3, "0123456789") == strlen(value + 3);
    if (isdigit(static_cast<unsigned char>(*digits)) || windowsName) {
        s.comPort = atoi(windowsName ? value + 3 : value);
        s.comDevice[0] = '\0';
        return;
    }
    s.comPort = 0;
    keepText(s.comDevice, value);
}

}  // namespace

bool isDevicePath(const char* value) { return strpbrk(value, "/\\") != nullptr; }

int readSettings(const char* path, Settings& s, Log* log)
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
        if (strcmp(key, "treshold_enableAlarm_1") == 0) s.treshold_enableAlarm_1 = atof(value);
        else if (strcmp(key, "treshold_enableAlarm_2") == 0) s.treshold_enableAlarm_2 = atof(value);
        else if (strcmp(key, "treshold_enableAlarm_4") == 0) s.treshold_enableAlarm_4 = atof(value);
        else if (strcmp(key, "startProgram") == 0) known = setSwitch(s.startProgram, value);
        else if (strcmp(key, "fullOutput") == 0) known = setSwitch(s.fullOutput, value);
        else if (strcmp(key, "updateInterval") == 0) s.updateInterval = atoi(value);
        else if (strcmp(key, "maxTimeNoData") == 0) s.maxTimeNoData = atoi(value);
        else if (strcmp(key, "poiFile") == 0) {
            if (strlen(value) < sizeof s.poiFile)
                memcpy(s.poiFile, value, strlen(value) + 1);
            else
                logMessage(log, "ERROR, poiFile is longer than %d characters, keeping %s\n",
                           static_cast<int>(sizeof s.poiFile) - 1, s.poiFile);
        }
        else if (strcmp(key, "comPort") == 0) readComPort(s, value);
        else if (strcmp(key, "writeLogFile") == 0) known = setSwitch(s.writeLogFile, value);
        else if (strcmp(key, "baudRate") == 0) keepText(s.baudRate, value);
        else if (strcmp(key, "warnAheadOnly") == 0) keepText(s.warnAheadOnly, value);
        else if (strcmp(key, "warnSeconds") == 0) keepText(s.warnSeconds, value);
        else if (strcmp(key, "checkDirections") == 0) keepText(s.checkDirections, value);
        else if (strcmp(key, "warnOverLimitOnly") == 0) keepText(s.warnOverLimitOnly, value);
        else if (strcmp(key, "logKeepDays") == 0) keepText(s.logKeepDays, value);
        else if (strcmp(key, "quietConsole") == 0) keepText(s.quietConsole, value);
        else if (strcmp(key, "gpsd") == 0) keepText(s.gpsd, value);
        else known = false;

        if (!known) logMessage(log, "UNKOWN element %s\n", key);
    }
    fclose(file);
    return 0;
}
