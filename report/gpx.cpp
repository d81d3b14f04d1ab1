// GPX 1.1: the track with each point's time, speed and course (Garmin's
// TrackPointExtension, which map tools read), a waypoint for each warning,
// a section's events among them.
#include <cmath>
#include <iterator>
#include <string>

#include "drive.h"
#include "log/track_format.h"

namespace {

std::string xml(const std::string& text)
{
    std::string out;
    for (char c : utf8(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A section's events in the words of the program's lines, in the order of
// the track's names for them.
const char* const kSectionWords[] = {"entering the section", "average over the limit", "leaving the section",
                                     "left the section on the way", "section no longer in the list"};
static_assert(std::size(kSectionWords) == std::size(trackformat::kSectionEvents), "words for each event");

std::string sectionWords(const std::string& event)
{
    for (size_t i = 0; i < std::size(kSectionWords); ++i)
        if (event == trackformat::kSectionEvents[i]) return kSectionWords[i];
    return event;
}

std::string fixed(double value, const char* format)
{
    char text[32];
    snprintf(text, sizeof text, format, value);
    return text;
}

void waypoint(const TrackEvent& e, FILE* out)
{
    std::string name = xml(e.name), what, desc, type;
    if (e.kind == 'W') {
        // The radii are the configured ones, grown with the speed: the
        // track knows the level, not the radius.
        what = trackformat::kLevelNames[e.level];
        desc = "warning " + std::to_string(e.level) + ", " + fixed(e.km * 1000, "%.0f") + " m before " + name;
        type = "warning " + std::to_string(e.level);
    } else {
        what = xml(sectionWords(e.event));
        desc = "section " + name;
        if (e.event != trackformat::kEntered)
            desc += ": average " + std::to_string(e.average) + " km/h after " + fixed(e.km, "%.2f") + " km";
        type = "section";
    }
    if (e.limit > 0) desc += ", limit " + std::to_string(e.limit) + " km/h";
    if (e.kmh >= 0) desc += ", at " + std::to_string(static_cast<int>(e.kmh + 0.5)) + " km/h";
    fprintf(out, "  <wpt lat=\"%.6f\" lon=\"%.6f\"><time>%s</time><name>%s (%s)</name><desc>%s</desc><type>%s</type></wpt>\n",
            e.wide, e.length, e.time.c_str(), name.c_str(), what.c_str(), desc.c_str(), type.c_str());
}

}  // namespace

void writeGpx(const Drive& drive, FILE* out)
{
    fputs("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
          "<gpx version=\"1.1\" creator=\"poiguard-report\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
          "     xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\"\n"
          "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
          "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n",
          out);
    if (!drive.points.empty())
        fprintf(out, "  <metadata><name>Drive of %.10s</name><time>%s</time></metadata>\n",
                drive.points.front().time.c_str(), drive.points.front().time.c_str());
    for (const TrackEvent& e : drive.events)
        if (e.kind != 'P') waypoint(e, out);
    fputs("  <trk><name>poiguard drive</name>", out);
    bool open = false;
    for (const TrackPoint& p : drive.points) {
        if (!open || p.newSegment) {
            if (open) fputs("\n    </trkseg>", out);
            fputs("\n    <trkseg>", out);
            open = true;
        }
        fprintf(out, "\n      <trkpt lat=\"%.6f\" lon=\"%.6f\"><time>%s</time>", p.wide, p.length, p.time.c_str());
        if (p.estimated) fputs("<type>estimated</type>", out);
        if (p.kmh >= 0 || p.course >= 0) {
            fputs("<extensions><gpxtpx:TrackPointExtension>", out);
            if (p.kmh >= 0) fprintf(out, "<gpxtpx:speed>%.2f</gpxtpx:speed>", p.kmh / 3.6);
            // The schema's course stays below 360, printed to a tenth.
            double course = std::fmod(p.course, 360.0);
            if (p.course >= 0) fprintf(out, "<gpxtpx:course>%.1f</gpxtpx:course>", course >= 359.95 ? 0.0 : course);
            fputs("</gpxtpx:TrackPointExtension></extensions>", out);
        }
        fputs("</trkpt>", out);
    }
    if (open) fputs("\n    </trkseg>", out);
    fputs("\n  </trk>\n</gpx>\n", out);
}
