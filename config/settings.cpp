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

// The one reader of "true" and "false"; any other value is refused.
bool readSwitch(const char* value, bool& on)
{
    if (strcmp(value, "true") != 0 && strcmp(value, "false") != 0) return false;
    on = value[0] == 't';
    return true;
}

// An original switch, kept as 0 or 1.
bool setSwitch(int& field, const char* value)
{
    bool on;
    if (!readSwitch(value, on)) return false;
    field = on;
    return true;
}

// Digits only, from least to most.
bool readWhole(const char* value, int least, int most, int& number)
{
    if (strspn(value, "0123456789") != strlen(value)) return false;
    long asked = strtol(value, nullptr, 10);
    if (asked < least || asked > most) return false;
    number = static_cast<int>(asked);
    return true;
}

bool readSpeed(const char* value, int& baud)
{
    if (strcmp(value, "auto") == 0) {
        baud = kAutoBaud;
        return true;
    }
    for (int speed : kReceiverSpeeds)
        if (readWhole(value, speed, speed, baud)) return true;
    return false;
}

// A later key: its value kept as written, and read into its field unless
// it is refused.
void readLaterKey(Settings& s, int id, const char* value)
{
    const LaterKey& key = kLaterKeys[id];
    char* written = s.written[id];
    size_t length = strnlen(value, kKeyTextSize - 1);  // longer values are cut to fit
    memcpy(written, value, length);
    written[length] = '\0';
    bool ok = key.kind == LaterKey::kSwitch  ? readSwitch(written, s.*key.flag)
              : key.kind == LaterKey::kWhole ? readWhole(written, key.least, key.most, s.*key.number)
                                             : readSpeed(written, s.*key.number);
    s.refused[id] = !ok;
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

const LaterKey kLaterKeys[kLaterKeyCount] = {
    {"baudRate", LaterKey::kSpeed, nullptr, &Settings::baudRate, 0, 0, nullptr},
    {"warnAheadOnly", LaterKey::kSwitch, &Settings::warnAheadOnly, nullptr, 0, 0, nullptr},
    {"warnSeconds", LaterKey::kWhole, nullptr, &Settings::warnSeconds, 1, kMaxWarnSeconds, "seconds"},
    {"checkDirections", LaterKey::kSwitch, &Settings::checkDirections, nullptr, 0, 0, nullptr},
    {"warnOverLimitOnly", LaterKey::kSwitch, &Settings::warnOverLimitOnly, nullptr, 0, 0, nullptr},
    {"logKeepDays", LaterKey::kWhole, nullptr, &Settings::logKeepDays, 1, kMaxLogKeepDays, "days"},
    {"quietConsole", LaterKey::kSwitch, &Settings::quietConsole, nullptr, 0, 0, nullptr},
    {"coastSeconds", LaterKey::kWhole, nullptr, &Settings::coastSeconds, 1, kMaxCoastSeconds, "seconds"},
    {"trackLog", LaterKey::kSwitch, &Settings::trackLog, nullptr, 0, 0, nullptr},
};

void describeAllowed(const LaterKey& key, char* out, int size)
{
    if (key.kind == LaterKey::kSwitch) {
        snprintf(out, static_cast<size_t>(size), "give true or false");
    } else if (key.kind == LaterKey::kWhole) {
        snprintf(out, static_cast<size_t>(size), "give whole %s from %d to %d", key.unit, key.least, key.most);
    } else {
        int used = snprintf(out, static_cast<size_t>(size), "give");
        for (int speed : kReceiverSpeeds)
            used += snprintf(out + used, static_cast<size_t>(size - used), " %d,", speed);
        snprintf(out + used - 1, static_cast<size_t>(size - used + 1), " or auto");
    }
}

bool isDevicePath(const char* value) { return strpbrk(value, "/\\") != nullptr; }

bool readSettings(const char* path, Settings& s, Log* log)
{
    FILE* file = openFile(path, "r");
    if (!file) {
        logMessage(log, "ERROR, while reading %s\n", path);
        return false;
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
        else if (strcmp(key, "gpsd") == 0) keepText(s.gpsd, value);
        else {
            int id = 0;
            while (id < kLaterKeyCount && strcmp(key, kLaterKeys[id].name) != 0) ++id;
            if (id < kLaterKeyCount) readLaterKey(s, id, value);
            else known = false;
        }

        if (!known) logMessage(log, "UNKOWN element %s\n", key);
    }
    fclose(file);
    return true;
}
