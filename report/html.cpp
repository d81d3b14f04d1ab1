// The page: report/page.html with the drive as data for its script. The
// track is thinned to what a screen shows; every warning is kept.
#include <algorithm>
#include <cmath>
#include <string>

#include "drive.h"
#include "geo/geo.h"
#include "log/track_format.h"
#include "page.h"  // kPage, made from page.html by the build

namespace {

constexpr size_t kMostMapPoints = 4000;
constexpr size_t kMostSpeedPoints = 1600;

// A JSON string; "<" escaped too, so that no name ends the script block.
std::string json(const std::string& text)
{
    std::string out = "\"";
    for (char c : utf8(text)) {  // which holds no control character
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else
            out += c == '<' ? std::string("\\u003c") : std::string(1, c);
    }
    return out + "\"";
}

std::string fixed(double value, int decimals)
{
    char text[64];
    snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// Douglas-Peucker on a flat projection in metres: the fewest points that
// stay within tolerance of the drive, doubled until few enough remain.
std::vector<size_t> thinned(const std::vector<TrackPoint>& pts, size_t from, size_t to)
{
    double cosWide = std::cos(pts[from].wide * kRadiansPerDegree);
    auto x = [&](size_t i) { return pts[i].length * 111320 * cosWide; };
    auto y = [&](size_t i) { return pts[i].wide * 110574; };
    std::vector<char> keep;
    size_t kept = 0;
    for (double tolerance = 1; kept == 0 || kept > kMostMapPoints * (to - from) / std::max<size_t>(pts.size(), 1) + 2;
         tolerance *= 2) {
        keep.assign(to - from, 0);
        keep.front() = keep.back() = 1;
        std::vector<std::pair<size_t, size_t>> stack{{from, to - 1}};
        while (!stack.empty()) {
            auto [a, b] = stack.back();
            stack.pop_back();
            double dx = x(b) - x(a), dy = y(b) - y(a), len = std::hypot(dx, dy);
            double worst = 0;
            size_t at = a;
            for (size_t i = a + 1; i < b; ++i) {
                double d = len > 0 ? std::fabs(dy * (x(i) - x(a)) - dx * (y(i) - y(a))) / len
                                   : std::hypot(x(i) - x(a), y(i) - y(a));
                if (d > worst) worst = d, at = i;
            }
            if (worst > tolerance) {
                keep[at - from] = 1;
                stack.push_back({a, at});
                stack.push_back({at, b});
            }
        }
        kept = static_cast<size_t>(std::count(keep.begin(), keep.end(), 1));
    }
    std::vector<size_t> out;
    for (size_t i = 0; i < keep.size(); ++i)
        if (keep[i]) out.push_back(from + i);
    return out;
}

// Thinned, as [length, wide] pairs.
std::string points(const std::vector<TrackPoint>& pts, size_t from, size_t to)
{
    std::string out = "[";
    if (to > from)
        for (size_t k : thinned(pts, from, to))
            out += std::string(out.size() > 1 ? "," : "") + "[" + fixed(pts[k].length, 6) + "," + fixed(pts[k].wide, 6) + "]";
    return out + "]";
}

// The drawn track: runs of fixes and of estimates, split at the segments.
std::string trackJson(const std::vector<TrackPoint>& pts)
{
    std::string out = "[";
    size_t start = 0;
    for (size_t i = 1; i <= pts.size(); ++i) {
        if (i < pts.size() && !pts[i].newSegment && pts[i].estimated == pts[start].estimated) continue;
        // An estimate run begins at the last fix, so that the line is unbroken.
        size_t from = pts[start].estimated && start > 0 && !pts[start].newSegment ? start - 1 : start;
        out += std::string(out.size() > 1 ? "," : "") + "{\"est\":" + (pts[start].estimated ? "true" : "false") +
               ",\"pts\":" + points(pts, from, i) + "}";
        start = i;
    }
    return out + "]";
}

// Speed over distance: in each stretch of the drive its lowest and highest.
std::string speedJson(const std::vector<TrackPoint>& pts)
{
    std::string out = "[";
    double total = pts.empty() ? 0 : pts.back().km;
    double step = total / (kMostSpeedPoints / 2);
    size_t i = 0;
    while (i < pts.size()) {
        size_t end = i;
        size_t low = i, high = i;
        // A car standing still stays in one stretch, even on a drive of one place.
        while (end < pts.size() && (end == i || (pts[end].km <= pts[i].km + step && !pts[end].newSegment))) {
            if (pts[end].kmh >= 0 && (pts[low].kmh < 0 || pts[end].kmh < pts[low].kmh)) low = end;
            if (pts[end].kmh > pts[high].kmh) high = end;
            ++end;
        }
        if (i > 0 && pts[i].newSegment) out += ",null";
        for (size_t k : {std::min(low, high), std::max(low, high)}) {
            if (pts[k].kmh >= 0)
                out += std::string(out.size() > 1 ? "," : "") + "[" + fixed(pts[k].km, 3) + "," + fixed(pts[k].kmh, 1) + "]";
            if (low == high) break;
        }
        i = end;
    }
    return out + "]";
}

// Each section along the track from its entry to its end (left, on the way,
// or no longer in the list), its average where it ended; one not ended runs
// to the next entry or the end of the drive.
std::string sectionsJson(const Drive& drive)
{
    const std::vector<TrackPoint>& pts = drive.points;
    std::string out = "[";
    auto add = [&](const TrackEvent& entry, double untilUtc, int average) {
        auto at = [&](double utc) {
            return static_cast<size_t>(std::upper_bound(pts.begin(), pts.end(), utc, [](double t, const TrackPoint& p) {
                                           return t < p.utc;
                                       }) - pts.begin());
        };
        size_t from = at(entry.utc) > 0 ? at(entry.utc) - 1 : 0, to = at(untilUtc);
        out += std::string(out.size() > 1 ? "," : "") + "{\"name\":" + json(entry.name) +
               ",\"limit\":" + std::to_string(entry.limit) + ",\"avg\":" + std::to_string(average) +
               ",\"from\":" + fixed(entry.along, 3) + ",\"to\":" + fixed(to > 0 ? pts[to - 1].km : 0, 3) +
               ",\"pts\":" + points(pts, from, to) + "}";
    };
    const TrackEvent* entry = nullptr;
    for (const TrackEvent& e : drive.events) {
        if (e.kind != 'S') continue;
        if (e.event == trackformat::kEntered) {
            if (entry) add(*entry, e.utc, -1);
            entry = &e;
        } else if (entry && trackformat::endsSection(e.event)) {
            add(*entry, e.utc, e.average);
            entry = nullptr;
        }
    }
    if (entry) add(*entry, pts.empty() ? 0 : pts.back().utc, -1);
    return out + "]";
}

std::string eventsJson(const std::vector<TrackEvent>& events)
{
    std::string out = "[";
    for (const TrackEvent& e : events) {
        out += std::string(out.size() > 1 ? ",\n" : "") + "{\"kind\":\"" + e.kind + "\",\"t\":" + fixed(e.utc * 1000, 0) +
               ",\"lon\":" + fixed(e.length, 6) + ",\"lat\":" + fixed(e.wide, 6) + ",\"name\":" + json(e.name) +
               ",\"limit\":" + std::to_string(e.limit) + ",\"kmh\":" + fixed(e.kmh, 1) + ",\"at\":" + fixed(e.along, 3);
        if (e.kind == 'W')
            out += ",\"level\":" + std::to_string(e.level) + ",\"m\":" + fixed(e.km * 1000, 0);
        if (e.kind != 'S')
            out += ",\"plon\":" + fixed(e.poiLength, 6) + ",\"plat\":" + fixed(e.poiWide, 6);
        else
            out += ",\"event\":" + json(e.event) + ",\"avg\":" + std::to_string(e.average) + ",\"km\":" + fixed(e.km, 2);
        if (!e.said.empty()) out += ",\"said\":" + json(e.said);
        out += "}";
    }
    return out + "]";
}

}  // namespace

void writeHtml(const Drive& drive, FILE* out)
{
    const std::vector<TrackPoint>& pts = drive.points;
    std::string data = "{\"from\":" + fixed(pts.empty() ? 0 : pts.front().utc * 1000, 0) +
                       ",\"to\":" + fixed(pts.empty() ? 0 : pts.back().utc * 1000, 0) +
                       ",\"km\":" + fixed(pts.empty() ? 0 : pts.back().km, 3) + ",\"track\":" + trackJson(pts) +
                       ",\"speed\":" + speedJson(pts) + ",\"events\":" + eventsJson(drive.events) +
                       ",\"sections\":" + sectionsJson(drive) + ",\"positions\":" + std::to_string(pts.size()) +
                       ",\"estimated\":" + std::to_string(std::count_if(pts.begin(), pts.end(), [](const TrackPoint& p) {
                           return p.estimated;
                       })) + "}";
    std::string page = kPage;
    const std::string marker = "/*DRIVE*/";
    size_t at = page.find(marker);
    fwrite(page.data(), 1, at, out);
    fputs(data.c_str(), out);
    fputs(page.c_str() + at + marker.size(), out);
}
