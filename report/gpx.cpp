// GPX 1.1: the track with each point's time, speed and course (Garmin's
// TrackPointExtension, which map tools read), a waypoint for each warning.
#include <cmath>
#include <string>

#include "drive.h"

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
        default:
            // XML 1.0 has no place for the other control characters.
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
        }
    }
    return out;
}

// The radii are the configured ones, grown with the speed: the track knows
// the level, not the radius.
const char* const kLevelNames[] = {"", "first warning", "second warning", "last warning"};

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
    for (const TrackEvent& e : drive.events) {
        if (e.kind != 'W') continue;
        std::string limit = e.limit > 0 ? ", limit " + std::to_string(e.limit) + " km/h" : "";
        std::string speed = e.kmh >= 0 ? ", at " + std::to_string(static_cast<int>(e.kmh + 0.5)) + " km/h" : "";
        fprintf(out,
                "  <wpt lat=\"%.6f\" lon=\"%.6f\"><time>%s</time><name>%s (%s)</name>"
                "<desc>warning %d, %.0f m before %s%s%s</desc><type>warning %d</type></wpt>\n",
                e.wide, e.length, e.time.c_str(), xml(e.name).c_str(), kLevelNames[e.level], e.level, e.km * 1000,
                xml(e.name).c_str(), limit.c_str(), speed.c_str(), e.level);
    }
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
