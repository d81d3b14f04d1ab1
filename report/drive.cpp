#include "drive.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "geo/calendar.h"
#include "geo/geo.h"
#include "log/track_format.h"
#include "platform/byte_order_mark.h"

namespace {

// A gap this long between two positions starts a new segment of the track.
constexpr double kSegmentGapSeconds = 60;

bool number(const std::string& text, double& value)
{
    if (text.empty()) return false;
    char* end = nullptr;
    value = strtod(text.c_str(), &end);
    return *end == '\0' && std::isfinite(value);
}

// A number, or -1 for an empty field.
bool optional(const std::string& text, double& value)
{
    if (text.empty()) {
        value = -1;
        return true;
    }
    return number(text, value) && value >= 0;
}

bool whole(const std::string& text, int& value)
{
    double d;
    if (!number(text, d) || d != std::floor(d) || std::fabs(d) > 1e6) return false;
    value = static_cast<int>(d);
    return true;
}

bool place(const std::string& length, const std::string& wide, double& l, double& w)
{
    return number(length, l) && number(wide, w) && std::fabs(l) <= 180 && std::fabs(w) <= 90;
}

// 2026-12-08T10:15:30.5Z
bool utcOf(const std::string& text, double& utc)
{
    int y, mo, d, h, mi;
    double s;
    char z = 0;
    if (sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%c", &y, &mo, &d, &h, &mi, &s, &z) != 7 || z != 'Z') return false;
    if (mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || !(s >= 0 && s < 61)) return false;
    utc = static_cast<double>(daysSince1970(y, mo, d)) * 86400 + h * 3600 + mi * 60 + s;
    return true;
}

// Splits at commas; past the fields a kind has, the rest is its name.
std::vector<std::string> split(const std::string& line, size_t fields)
{
    std::vector<std::string> out;
    size_t at = 0;
    while (out.size() + 1 < fields) {
        size_t comma = line.find(',', at);
        if (comma == std::string::npos) break;
        out.push_back(line.substr(at, comma - at));
        at = comma + 1;
    }
    out.push_back(line.substr(at));
    return out;
}

bool readRecord(const std::string& line, Drive& drive)
{
    std::vector<std::string> f = split(line, 4);
    if (f.size() < 4 || f[1].size() != 1) return false;
    double utc, length, wide;
    if (!utcOf(f[0], utc)) return false;
    char kind = f[1][0];
    size_t fields = trackformat::fieldsOf(kind);
    if (fields == 0) return false;
    f = split(line, fields);
    if (f.size() != fields) return false;
    if (kind == trackformat::kSpoken.letter) {  // the phrase of the warning written before it
        for (auto e = drive.events.rbegin(); e != drive.events.rend(); ++e)
            if (e->kind != 'P') {
                if (e->said.empty()) e->said = f[4];
                break;
            }
        return true;
    }
    if (!place(f[2], f[3], length, wide)) return false;
    if (kind == 'F' || kind == 'E') {
        TrackPoint p{utc, f[0], length, wide, -1, -1, kind == 'E', false, 0};
        if (!optional(f[4], p.kmh) || !optional(f[5], p.course)) return false;
        drive.points.push_back(p);
        return true;
    }
    TrackEvent e{kind, utc, f[0], length, wide, 0, 0, 0, 0, 0, "", 0, f.back(), -1, 0, ""};
    bool ok = kind == 'P'   ? whole(f[4], e.limit) && place(f[5], f[6], e.poiLength, e.poiWide)
              : kind == 'W' ? whole(f[4], e.level) && e.level >= trackformat::kFirstLevel &&
                                  e.level <= trackformat::kLastLevel && number(f[5], e.km) &&
                                  whole(f[6], e.limit) && place(f[7], f[8], e.poiLength, e.poiWide)
                            : whole(f[5], e.average) && whole(f[6], e.limit) && number(f[7], e.km);
    if (kind == 'S') e.event = f[4];
    if (ok) drive.events.push_back(e);
    return ok;
}

}  // namespace

bool readTrack(FILE* file, Drive& drive)
{
    std::string line;
    int c, records = 0, foreign = 0;
    bool first = true;
    do {
        c = fgetc(file);
        if (c != '\n' && c != EOF) {
            line += static_cast<char>(c);
            continue;
        }
        // A file saved again by a Windows editor starts with a byte-order mark.
        if (first) line.erase(0, byteOrderMarkIn(line.data(), line.size()));
        first = false;
        // A line without its end is one a kill or a power cut broke off.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (c == '\n' && !line.empty() && line[0] != '#') (readRecord(line, drive) ? records : foreign)++;
        if (c == EOF && !line.empty()) ++drive.skipped;
        line.clear();
    } while (c != EOF);
    drive.skipped += foreign;
    return records > 0 || foreign == 0;
}

void finishDrive(Drive& drive)
{
    auto byTime = [](const auto& a, const auto& b) { return a.utc < b.utc; };
    std::stable_sort(drive.points.begin(), drive.points.end(), byTime);
    std::stable_sort(drive.events.begin(), drive.events.end(), byTime);
    double km = 0;
    for (size_t i = 0; i < drive.points.size(); ++i) {
        TrackPoint& p = drive.points[i];
        if (i > 0) {
            const TrackPoint& q = drive.points[i - 1];
            p.newSegment = p.utc - q.utc > kSegmentGapSeconds;
            if (!p.newSegment) km += greatCircleDistance(q.length, p.length, q.wide, p.wide);
        }
        p.km = km;
    }
    // Each event happened at the last position before it or at its time.
    size_t i = 0;
    for (TrackEvent& e : drive.events) {
        while (i + 1 < drive.points.size() && drive.points[i + 1].utc <= e.utc) ++i;
        if (drive.points.empty() || drive.points[i].utc > e.utc) continue;
        e.kmh = drive.points[i].kmh;
        e.along = drive.points[i].km;
    }
}

namespace {

// Windows-1252's characters for 0x80-0x9F; its five unused bytes read as U+FFFD.
const char16_t kWindows1252[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                   0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// The length of the UTF-8 character at text[at] (its code in code), or 0
// when the bytes there are none XML may hold: not UTF-8's shortest form, a
// surrogate, beyond U+10FFFF, U+FFFE or U+FFFF.
size_t utf8Char(const std::string& text, size_t at, unsigned& code)
{
    unsigned c = static_cast<unsigned char>(text[at]);
    size_t length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (length == 0 || at + length > text.size()) return 0;
    const unsigned kMasks[] = {0, 0x7F, 0x1F, 0x0F, 0x07}, kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    code = c & kMasks[length];
    for (size_t k = 1; k < length; ++k) {
        unsigned next = static_cast<unsigned char>(text[at + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code = code << 6 | (next & 0x3F);
    }
    bool allowed = code >= kLeast[length] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF) && code != 0xFFFE &&
                   code != 0xFFFF;
    return allowed ? length : 0;
}

void append(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {  // Windows-1252 reaches no further than U+FFFD
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string utf8(const std::string& text)
{
    unsigned code = 0;
    bool isUtf8 = true;
    for (size_t at = 0, length = 1; isUtf8 && at < text.size(); at += length)
        isUtf8 = (length = utf8Char(text, at, code)) > 0;
    std::string out;
    for (size_t at = 0, length = 1; at < text.size(); at += length) {
        code = static_cast<unsigned char>(text[at]);
        if (isUtf8)
            length = utf8Char(text, at, code);
        else if (code >= 0x80 && code < 0xA0)
            code = kWindows1252[code - 0x80];
        // Control characters, which XML 1.0 has no place for, are left out.
        if (code < 0x20 || code == 0x7F) continue;
        if (isUtf8)
            out.append(text, at, length);
        else
            append(out, code);
    }
    return out;
}
