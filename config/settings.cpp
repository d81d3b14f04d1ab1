#include "settings.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "speech/phrases.h"

namespace {

using S = Settings;

Setting number(const char* name, double S::*field) { return {name, Setting::kNumber, true, field, nullptr, nullptr}; }
Setting original(const char* name, Setting::Kind kind, int S::*field) { return {name, kind, true, nullptr, field, nullptr}; }
Setting later(const char* name, Setting::Kind kind, int S::*field, const char* allowed, int least = 0, int most = 0)
{
    Setting row{name, kind, false, nullptr, field, nullptr, least, most};
    row.allowed = allowed;
    return row;
}
const char* const kTrueOrFalse = "give true or false";

Setting poiFileRow()
{
    Setting row{"poiFile", Setting::kText, true, nullptr, nullptr, &S::poiFile};
    return row;
}
Setting baudRateRow()
{
    Setting row = later("baudRate", Setting::kWhole, &S::baudRate, "give 4800, 9600, 19200, 38400, 57600, 115200 or auto");
    row.lineSpeed = true;
    return row;
}

// HOST or HOST:PORT; an IPv6 address in brackets when it has a port.
bool isGpsdAddress(const char* text)
{
    const char* colon = strrchr(text, ':');
    bool hasPort = colon && colon != text && strchr(text, ':') == colon;
    if (text[0] == '[') hasPort = colon && colon[-1] == ']';
    if (!hasPort) return text[0] && text[0] != ':';
    return colon[1] && strspn(colon + 1, "0123456789") == strlen(colon + 1) && atoi(colon + 1) >= 1 &&
           atoi(colon + 1) <= 65535;
}

const char* refuseGpsd(const char* value)
{
    if (!readsGpsd()) return "this program reads no gpsd (there is none on Windows); give comPort instead";
    return isGpsdAddress(value) ? nullptr : "give HOST or HOST:PORT, for instance gpsd=localhost";
}

// A number or COM<N> is read as ever; a name must be a device's path.
const char* refusePortName(const char* value)
{
    bool number = strspn(value + (value[0] == '-' || value[0] == '+'), "0123456789") > 0;
    bool windowsName = strncmp(value, "COM", 3) == 0 && value[3] && strspn(value + 3, "0123456789") == strlen(value + 3);
    if (number || windowsName || isDevicePath(value)) return nullptr;
    return "give the port's number (3), its Windows name (COM3) or a device path (/dev/ttyACM0)";
}

Setting comPortRow()
{
    Setting row = original("comPort", Setting::kPort, &S::comPort);
    row.refuse = refusePortName;
    return row;
}

const char* refuseLanguage(const char* value)
{
    static const std::string allowed = std::string("give one of ") + phraseLanguages();
    return phraseTable(value) ? nullptr : allowed.c_str();
}

Setting speechRow()
{
    Setting row{"speech", Setting::kText, false, nullptr, nullptr, &S::speech};
    row.refuse = refuseLanguage;
    return row;
}

Setting gpsdRow()
{
    Setting row{"gpsd", Setting::kText, false, nullptr, nullptr, &S::gpsd};
    row.refuse = refuseGpsd;
    row.shown = ": positions from gpsd, not from a serial port";
    return row;
}

}  // namespace

const Setting kSettings[kSettingCount] = {
    original("startProgram", Setting::kSwitch, &S::startProgram),
    comPortRow(),
    number("treshold_enableAlarm_1", &S::treshold_enableAlarm_1),
    number("treshold_enableAlarm_2", &S::treshold_enableAlarm_2),
    number("treshold_enableAlarm_4", &S::treshold_enableAlarm_4),
    original("fullOutput", Setting::kSwitch, &S::fullOutput),
    original("updateInterval", Setting::kWhole, &S::updateInterval),
    original("maxTimeNoData", Setting::kWhole, &S::maxTimeNoData),
    poiFileRow(),
    original("writeLogFile", Setting::kSwitch, &S::writeLogFile),
    baudRateRow(),
    later("warnAheadOnly", Setting::kSwitch, &S::warnAheadOnly, kTrueOrFalse),
    later("warnSeconds", Setting::kWhole, &S::warnSeconds, "give whole seconds from 1 to 60", 1, kMaxWarnSeconds),
    later("checkDirections", Setting::kSwitch, &S::checkDirections, kTrueOrFalse),
    later("warnOverLimitOnly", Setting::kSwitch, &S::warnOverLimitOnly, kTrueOrFalse),
    later("logKeepDays", Setting::kWhole, &S::logKeepDays, "give whole days from 1 to 3650", 1, kMaxLogKeepDays),
    later("quietConsole", Setting::kSwitch, &S::quietConsole, kTrueOrFalse),
    later("coastSeconds", Setting::kWhole, &S::coastSeconds, "give whole seconds from 1 to 600", 1, kMaxCoastSeconds),
    later("trackLog", Setting::kSwitch, &S::trackLog, kTrueOrFalse),
    speechRow(),
    gpsdRow(),
};

namespace {

void blankOut(char* line, char c)
{
    for (char* p = line; *p; ++p)
        if (*p == c) *p = ' ';
}

// Longer values are cut to fit.
void keepText(char (&field)[kTextSize], const char* value)
{
    size_t length = strnlen(value, kTextSize - 1);
    memcpy(field, value, length);
    field[length] = '\0';
}

// The one reader of "true" and "false"; any other value is refused.
bool readSwitch(const char* value, int& on)
{
    if (strcmp(value, "true") != 0 && strcmp(value, "false") != 0) return false;
    on = value[0] == 't';
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

std::string format(const char* pattern, ...) PRINTF_LIKE(1, 2);
std::string format(const char* pattern, ...)
{
    char text[kMessageSize];
    va_list args;
    va_start(args, pattern);
    vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}

// Reads one line's value into its row; what it cannot take is noted.
struct LineReader {
    Settings& s;
    const char* path;
    int number;
    std::vector<ConfigNote>& notes;

    void note(std::string said, const char* why, ...) PRINTF_LIKE(3, 4);

    void take(int id, const char* value);
    // An original number read as far as it goes: said when it went not to the end.
    void checkNumber(int id, const char* value, double read);
};

void LineReader::note(std::string said, const char* why, ...)
{
    char text[kMessageSize];
    va_list args;
    va_start(args, why);
    vsnprintf(text, sizeof text, why, args);
    va_end(args);
    notes.push_back({std::move(said), format("    %s line %d: %s\n", path, number, text)});
}

void LineReader::checkNumber(int id, const char* value, double read)
{
    char* end;
    strtod(value, &end);
    if (*end == '\0') return;
    const char* comma = strchr(value, ',');
    if (comma && comma == end) {
        std::string point = value;
        point[static_cast<size_t>(comma - value)] = '.';
        note("", "%s=%s is read as %g: the decimal mark is a point, %s", kSettings[id].name, value, read, point.c_str());
    } else {
        note("", "%s=%s is read as %g: give the number alone", kSettings[id].name, value, read);
    }
}

void LineReader::take(int id, const char* value)
{
    const Setting& row = kSettings[id];
    keepText(s.written[id], value);
    s.refused[id] = nullptr;
    bool ok = true;
    switch (row.kind) {
    case Setting::kNumber:
        s.*row.number = atof(value);
        checkNumber(id, value, s.*row.number);
        break;
    case Setting::kWhole:
        if (row.original) {
            s.*row.whole = atoi(value);
            checkNumber(id, value, s.*row.whole);
        } else {
            ok = row.lineSpeed ? readSpeed(value, s.*row.whole) : readWhole(value, row.least, row.most, s.*row.whole);
        }
        break;
    case Setting::kSwitch:
        ok = readSwitch(value, s.*row.whole);
        if (!ok && row.original)
            note(format("UNKOWN element %s\n", row.name), "%s=%s: the value is true or false, in small letters", row.name,
                 value);
        break;
    case Setting::kText:
        if (row.original && strlen(value) >= kTextSize)
            notes.push_back({format("ERROR, %s is longer than %d characters, keeping %s\n", row.name, kTextSize - 1,
                                    s.*row.text),
                             ""});
        else
            keepText(s.*row.text, value);
        break;
    case Setting::kPort:
        readComPort(s, value);
        break;
    }
    if (row.refuse) s.refused[id] = row.refuse(value);
    else if (!ok && !row.original) s.refused[id] = row.allowed;
}

int findKey(const char* key)
{
    for (int id = 0; id < kSettingCount; ++id)
        if (strcmp(key, kSettings[id].name) == 0) return id;
    return -1;
}

// Letters to add, drop or change, capitals aside.
int editDistance(const char* a, const char* b)
{
    size_t n = strlen(b);
    std::vector<int> row(n + 1);
    for (size_t j = 0; j <= n; ++j) row[j] = static_cast<int>(j);
    for (size_t i = 1; a[i - 1]; ++i) {
        int diagonal = row[0];
        row[0] = static_cast<int>(i);
        for (size_t j = 1; j <= n; ++j) {
            int above = row[j];
            bool same = tolower(static_cast<unsigned char>(a[i - 1])) == tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[n];
}

}  // namespace

const char* nearestKey(const char* key)
{
    const char* nearest = nullptr;
    int best = strlen(key) >= 8 ? 3 : 2;  // more than this apart is another word
    for (const Setting& row : kSettings) {
        int distance = editDistance(key, row.name);
        if (distance < best) {
            best = distance;
            nearest = row.name;
        }
    }
    return nearest;
}

bool isDevicePath(const char* value) { return strpbrk(value, "/\\") != nullptr; }

ConfigRead readSettings(const char* path, Settings& s)
{
    ConfigRead read;
    FILE* file = openFile(path, "r");
    if (!file) {
        read.error = errno;
        return read;
    }
    read.opened = true;
    char line[kMessageSize];
    char asWritten[kMessageSize];
    char key[kMessageSize];
    char value[kMessageSize];
    char extra[kMessageSize];
    int number = 0;
    bool lineEnded = true;
    while (readTextLine(line, kMessageSize - 1, file)) {
        // A line over the limit is read in pieces, all of one line number.
        number += lineEnded;
        size_t length = strlen(line);
        lineEnded = length && line[length - 1] == '\n';
        if (line[0] == '%' || line[0] == '#' || length < 2) continue;
        const char* from = line + strspn(line, " \t");
        size_t kept = strcspn(from, "\r\n");
        while (kept && isspace(static_cast<unsigned char>(from[kept - 1]))) --kept;
        snprintf(asWritten, sizeof asWritten, "%.*s", static_cast<int>(kept), from);
        blankOut(line, '=');
        blankOut(line, ';');
        blankOut(line, '"');
        int tokens = sscanf(line, "%1023s %1023s %1023s", key, value, extra);
        LineReader reader{s, path, number, read.notes};
        int id = tokens > 0 ? findKey(key) : -1;
        if (tokens != 2) {
            // Silently nothing, as ever; said when the line names a key.
            if (id < 0) continue;
            if (tokens == 1)
                reader.note("", "%s has no value and is not read", asWritten);
            else if (strpbrk(asWritten, "#%"))
                reader.note("", "%s is not read: a comment goes on a line of its own, with # first", asWritten);
            else
                reader.note("", "%s is not read: a value holds no blank", asWritten);
            continue;
        }
        if (id >= 0) {
            reader.take(id, value);
            continue;
        }
        std::string said = format("UNKOWN element %s\n", key);
        const char* nearest = nearestKey(key);
        if (key[0] == '#' || key[0] == '%')
            reader.note(said, "a comment has # as the first character of its line");
        else if (nearest)
            reader.note(said, "the key is spelt %s", nearest);
        else
            read.notes.push_back({said, ""});
    }
    fclose(file);
    return read;
}
