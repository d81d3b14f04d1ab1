// Reading RMC sentences; see rmc.h for the layout. The position they carry
// goes through the jump guard in position.cpp.
#include "rmc.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "geo/calendar.h"

namespace {

constexpr int kNameLength = 6;  // "$GPRMC"
constexpr int kNeededFields = 7;  // name, time, status, lat, N/S, lon, E/W
constexpr int kModeField = 12;    // after speed, course, date and the magnetic variation
constexpr int kTimeField = 1;
constexpr int kStatusField = 2;
constexpr int kLatitudeField = 3;
constexpr int kLongitudeField = 5;
constexpr int kSpeedField = 7;
constexpr int kCourseField = 8;
constexpr int kDateField = 9;

// Copies the fields before the checksum, split at each comma, so that an
// empty field keeps its place: a receiver without a fix sends
// "$GPRMC,235947.000,V,,,,,0.00,0.00,060180,,,N*4E", whose later fields must
// never be taken for coordinates. Blanks around a field are dropped.
// Returns how many fields were copied (at most kModeField + 1), or 0 when
// one does not fit.
int splitFields(const char* sentence, char fields[kModeField + 1][kRmcFieldSize])
{
    const char* stop = strchr(sentence, '*');
    if (!stop) stop = sentence + strlen(sentence);
    int count = 0;
    for (const char* p = sentence; count <= kModeField; ++count) {
        const char* end = static_cast<const char*>(memchr(p, ',', static_cast<size_t>(stop - p)));
        if (!end) end = stop;
        const char* begin = p;
        while (begin < end && *begin == ' ') ++begin;
        const char* last = end;
        while (last > begin && last[-1] == ' ') --last;
        size_t length = static_cast<size_t>(last - begin);
        if (length >= kRmcFieldSize) return 0;
        memcpy(fields[count], begin, length);
        fields[count][length] = '\0';
        if (end == stop) return count + 1;
        p = end + 1;
    }
    return count;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool isCapital(char c) { return c >= 'A' && c <= 'Z'; }

// A coordinate field and its hemisphere letter; the negative letter makes
// the value negative, as POI files write south and west.
bool readCoordinate(const char* text, const char* hemisphere, char positive, char negative, double& value)
{
    if (!isNumber(text)) return false;
    if (hemisphere[1] != '\0' || (hemisphere[0] != positive && hemisphere[0] != negative)) return false;
    value = nmeaToDegrees(text);
    if (hemisphere[0] == negative) value = -value;
    return true;
}

// Speed and course are optional: an empty field, or one that is not a plain
// number, reads as -1.
double optionalNumber(const char (*fields)[kRmcFieldSize], int count, int field)
{
    return field < count && isNumber(fields[field]) ? atof(fields[field]) : -1;
}

}  // namespace

bool isRmcName(const char* sentence)
{
    return sentence[0] == '$' && isCapital(sentence[1]) && sentence[1] != 'P' && isCapital(sentence[2]) &&
           strncmp(sentence + 3, "RMC", 3) == 0;
}

// Fields never hold a '*', so the first one is the checksum's, whatever line
// noise follows the sentence.
bool checksumMatches(const char* sentence)
{
    const char* star = strchr(sentence, '*');
    if (!star || sentence[0] != '$') return false;
    int high = hexDigit(star[1]);
    int low = high < 0 ? -1 : hexDigit(star[2]);
    if (low < 0) return false;
    unsigned sum = 0;
    for (const char* p = sentence + 1; p < star; ++p) sum ^= static_cast<unsigned char>(*p);
    return sum == static_cast<unsigned>(high * 16 + low);
}

bool readRmcFix(const char* sentence, RmcFix& fix)
{
    char fields[kModeField + 1][kRmcFieldSize];
    int count = splitFields(sentence, fields);
    if (count < kNeededFields) return false;
    if (strcmp(fields[kStatusField], "A") != 0) return false;
    if (count > kModeField && fields[kModeField][0] == 'N') return false;
    if (!readCoordinate(fields[kLatitudeField], fields[kLatitudeField + 1], 'N', 'S', fix.wide) ||
        !readCoordinate(fields[kLongitudeField], fields[kLongitudeField + 1], 'E', 'W', fix.length))
        return false;
    double knots = optionalNumber(fields, count, kSpeedField);
    fix.kmh = knots < 0 ? -1 : knots * kKmhPerKnot;
    fix.course = optionalNumber(fields, count, kCourseField);
    memcpy(fix.talker, sentence + 1, 2);
    fix.talker[2] = '\0';
    memcpy(fix.time, fields[kTimeField], sizeof fix.time);
    if (count > kDateField)
        memcpy(fix.date, fields[kDateField], sizeof fix.date);
    else
        fix.date[0] = '\0';
    memcpy(fix.wideText, fields[kLatitudeField], sizeof fix.wideText);
    memcpy(fix.lengthText, fields[kLongitudeField], sizeof fix.lengthText);
    return true;
}

bool isNumber(const char* token)
{
    if (*token == '\0') return false;
    for (const char* p = token; *p; ++p)
        if (!((*p >= '0' && *p <= '9') || *p == '.')) return false;
    return true;
}

double nmeaToDegrees(const char* token)
{
    // from_chars reads the plain decimals of a sentence several times faster
    // than atof, to the same correctly rounded value. atof takes anything
    // else, so that words like "inf" mean what the C library makes of them.
    double x = 0;
    bool plain = false;
    if (*token >= '0' && *token <= '9') {
        std::from_chars_result r = std::from_chars(token, token + strlen(token), x);
        plain = r.ec == std::errc() && *r.ptr == '\0';
    }
    if (!plain) x = atof(token);
    double d = x / 100.0;
    double degrees = floor(d);
    double fraction = d - degrees;
    return degrees + (100.0 * fraction) / 60.0;
}

double secondsOfDay(const char* time)
{
    if (strspn(time, "0123456789") != 6 || (time[6] != '\0' && (time[6] != '.' || !isNumber(time + 6)))) return -1;
    auto two = [&](int at) { return (time[at] - '0') * 10 + (time[at + 1] - '0'); };
    return two(0) * 3600 + two(2) * 60 + two(4) + (time[6] ? atof(time + 6) : 0.0);
}

double utcSeconds(const char* date, const char* time)
{
    double seconds = secondsOfDay(time);
    if (seconds < 0 || strlen(date) != 6 || strspn(date, "0123456789") != 6) return -1;
    auto two = [&](int at) { return (date[at] - '0') * 10 + (date[at + 1] - '0'); };
    int day = two(0), month = two(2), year = two(4) + (two(4) >= 80 ? 1900 : 2000);
    if (day < 1 || day > 31 || month < 1 || month > 12) return -1;
    return static_cast<double>(daysSince1970(year, month, day)) * 86400.0 + seconds;
}

bool readRmcSentence(char* sentence, RmcFix& fix)
{
    if (strlen(sentence) < static_cast<size_t>(kNameLength)) return false;
    const char* star = strrchr(sentence, '*');
    if (!star || star == sentence) return false;
    if (!isRmcName(sentence) || !checksumMatches(sentence)) return false;

    bool valid = readRmcFix(sentence, fix);
    for (char* p = sentence; *p; ++p)
        if (*p == ',') *p = ' ';
    return valid;
}
