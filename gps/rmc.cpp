// $GPRMC: the receiver's recommended minimum sentence. Only the two
// coordinates are used:
//
//   $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A
//          time   |  lat     |  lon      |
//                 status     N/S         E/W
//
// The status letter and the hemisphere letters are not looked at: west and
// south come out as positive numbers like east and north. The checksum is:
// a sentence garbled on the wire can carry any position, and one accepted
// wild position would make the jump guard refuse every true one after it.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "app/poiguard.h"

namespace {

constexpr const char* kSentenceName = "$GPRMC";
constexpr int kNameLength = 6;
constexpr int kFieldCount = 7;  // name, time, status, lat, N/S, lon, E/W
constexpr int kFieldSize = 64;  // longest field, terminating NUL included
constexpr int kLatitudeField = 3;
constexpr int kLongitudeField = 5;
constexpr double kMaxJump = 1.0;  // degrees per coordinate between two fixes

// Copies the first fields of the sentence, split at each comma, so that an
// empty field keeps its place: a receiver without a fix sends
// "$GPRMC,235947.000,V,,,,,0.00,0.00,060180,,,N*4E", whose later fields must
// never be taken for coordinates. Blanks around a field are dropped.
// False when there are fewer fields than wanted or one does not fit.
bool splitFields(const char* sentence, char fields[kFieldCount][kFieldSize])
{
    const char* p = sentence;
    for (int f = 0; f < kFieldCount; ++f) {
        if (f > 0) {
            p = strchr(p, ',');
            if (!p) return false;
            ++p;
        }
        const char* end = strchr(p, ',');
        if (!end) end = p + strlen(p);
        const char* begin = p;
        while (begin < end && *begin == ' ') ++begin;
        while (end > begin && end[-1] == ' ') --end;
        size_t length = static_cast<size_t>(end - begin);
        if (length >= kFieldSize) return false;
        memcpy(fields[f], begin, length);
        fields[f][length] = '\0';
    }
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The two hex digits after the '*' are the XOR of every byte between '$' and
// '*'. Fields never hold a '*', so the first one is the checksum's, whatever
// line noise follows the sentence.
bool checksumMatches(const char* sentence)
{
    const char* star = strchr(sentence, '*');
    int high = hexDigit(star[1]);
    int low = high < 0 ? -1 : hexDigit(star[2]);
    if (low < 0) return false;
    unsigned sum = 0;
    for (const char* p = sentence + 1; p < star; ++p) sum ^= static_cast<unsigned char>(*p);
    return sum == static_cast<unsigned>(high * 16 + low);
}

}  // namespace

int CPoiGuard::isNumber(const char* token)
{
    if (*token == '\0') return 0;
    for (const char* p = token; *p; ++p)
        if (!((*p >= '0' && *p <= '9') || *p == '.')) return 0;
    return 1;
}

// ddmm.mmmm (or dddmm.mmmm) to decimal degrees.
double CPoiGuard::nmeaToDegrees(const char* token)
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

int CPoiGuard::parseSentence(char* sentence)
{
    size_t length = strlen(sentence);
    if (length < static_cast<size_t>(kNameLength)) return 1;
    const char* star = strrchr(sentence, '*');
    if (!star || star == sentence) return 1;
    if (strncmp(sentence, kSentenceName, kNameLength) != 0) return 1;
    if (!checksumMatches(sentence)) return 1;

    char fields[kFieldCount][kFieldSize];
    bool complete = splitFields(sentence, fields);
    for (char* p = sentence; *p; ++p)
        if (*p == ',') *p = ' ';
    if (!complete) return 1;

    const char* latitude = fields[kLatitudeField];
    const char* longitude = fields[kLongitudeField];
    if (!isNumber(latitude) || !isNumber(longitude)) return 1;

    double newLength = nmeaToDegrees(longitude);
    double newWide = nmeaToDegrees(latitude);
    if (lastPosLength > kPositionGuard && fabs(newLength - lastPosLength) > kMaxJump) return 1;
    if (lastPosWide > kPositionGuard && fabs(newWide - lastPosWide) > kMaxJump) return 1;

    lastPosLength = newLength;
    lastPosWide = newWide;
    if (firstSortDone == 0 && sortPoiList() == 0) firstSortDone = 1;

    logMessage(log, "length=%s (%lf) wide=%s (%lf) PoiListSorted=%d\n", longitude, lastPosLength,
               latitude, lastPosWide, PoiListSorted);
    checkAlarms(lastPosLength, lastPosWide);
    return 0;
}
