#include "drive.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "gps/rmc.h"
#include "poi/distance.h"

namespace {

// A gap this long between two positions starts a new segment of the track.
constexpr double kSegmentGapSeconds = 60;

// The fields of a line up to the name, which is the rest of it.
constexpr int kMaxFields = 12;

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
    const size_t count[] = {6, 8, 10, 9};  // F/E, P, W, S
    const char* kinds = "FPWS";
    const char* k = strchr(kinds, kind == 'E' ? 'F' : kind);
    if (!k || !*k) return false;
    f = split(line, count[k - kinds]);
    if (f.size() != count[k - kinds] || !place(f[2], f[3], length, wide)) return false;
    if (kind == 'F' || kind == 'E') {
        TrackPoint p{utc, f[0], length, wide, -1, -1, kind == 'E', false, 0};
        if (!optional(f[4], p.kmh) || !optional(f[5], p.course)) return false;
        drive.points.push_back(p);
        return true;
    }
    TrackEvent e{kind, utc, f[0], length, wide, 0, 0, 0, 0, 0, "", 0, f.back(), -1, 0};
    bool ok = kind == 'P'   ? whole(f[4], e.limit) && place(f[5], f[6], e.poiLength, e.poiWide)
              : kind == 'W' ? whole(f[4], e.level) && e.level >= 1 && e.level <= 3 && number(f[5], e.km) &&
                                  whole(f[6], e.limit) && place(f[7], f[8], e.poiLength, e.poiWide)
                            : whole(f[5], e.average) && whole(f[6], e.limit) && number(f[7], e.km);
    if (kind == 'S') e.event = f[4];
    if (ok) drive.events.push_back(e);
    return ok;
}

}  // namespace

void readTrack(FILE* file, Drive& drive)
{
    std::string line;
    int c;
    // A file saved again by a Windows editor starts with a byte-order mark.
    const char kMark[] = "\xEF\xBB\xBF";
    for (int at = 0; at < 3 && (c = fgetc(file)) != EOF; ++at) {
        if (c == static_cast<unsigned char>(kMark[at])) continue;
        line.assign(kMark, static_cast<size_t>(at));  // not a mark: its bytes are the line's
        ungetc(c, file);
        break;
    }
    do {
        c = fgetc(file);
        if (c != '\n' && c != EOF) {
            line += static_cast<char>(c);
            continue;
        }
        // A line without its end is one a kill or a power cut broke off.
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (c == '\n' && !line.empty() && line[0] != '#' && !readRecord(line, drive)) ++drive.skipped;
        if (c == EOF && !line.empty()) ++drive.skipped;
        line.clear();
    } while (c != EOF);
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

std::string utf8(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int more = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        bool valid = more >= 0 && i + static_cast<size_t>(more) < text.size() + (more == 0);
        for (int k = 1; valid && k <= more; ++k) valid = (static_cast<unsigned char>(text[i + k]) >> 6) == 2;
        if (valid) {
            out.append(text, i, static_cast<size_t>(more) + 1);
            i += static_cast<size_t>(more) + 1;
        } else {  // a byte of Windows-1252, read as Latin-1
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
            ++i;
        }
    }
    return out;
}
