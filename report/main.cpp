// poiguard-report: the drive of one or more track files (trackLog=true) as
// a GPX file and a page to look at.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "drive.h"

namespace {

const char* const kUsage =
    "Usage: poiguard-report [--gpx OUT.gpx] [--html OUT.html] TRACK...\n"
    "  TRACK: logs/track_YYYYMMDD.csv, written while trackLog=true; several make one drive.\n"
    "  Without --gpx and --html: both, beside the first TRACK, named after it.\n";

bool write(const std::string& path, const Drive& drive, void (*writer)(const Drive&, FILE*))
{
    FILE* out = fopen(path.c_str(), "wb");
    if (!out) {
        fprintf(stderr, "poiguard-report: cannot write %s: %s\n", path.c_str(), strerror(errno));
        return false;
    }
    writer(drive, out);
    bool ok = !ferror(out);
    ok = fclose(out) == 0 && ok;
    if (!ok) fprintf(stderr, "poiguard-report: writing %s failed: %s\n", path.c_str(), strerror(errno));
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string gpx, page;
    std::vector<const char*> tracks;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--gpx" || arg == "--html") && i + 1 < argc)
            (arg == "--gpx" ? gpx : page) = argv[++i];
        else if (arg == "-h" || arg == "--help") {
            fputs(kUsage, stdout);
            return 0;
        } else if (arg.size() > 1 && arg[0] == '-') {
            fputs(kUsage, stderr);
            return 2;
        } else
            tracks.push_back(argv[i]);
    }
    if (tracks.empty()) {
        fputs(kUsage, stderr);
        return 2;
    }
    if (gpx.empty() && page.empty()) {
        std::string base = tracks[0];
        size_t dot = base.rfind('.');
        if (dot != std::string::npos && base.find_first_of("/\\", dot) == std::string::npos) base.erase(dot);
        gpx = base + ".gpx";
        page = base + ".html";
    }

    Drive drive;
    for (const char* path : tracks) {
        FILE* in = fopen(path, "rb");
        if (!in) {
            fprintf(stderr, "poiguard-report: cannot read %s: %s\n", path, strerror(errno));
            return 1;
        }
        bool track = readTrack(in, drive);
        fclose(in);
        if (!track) {
            fprintf(stderr,
                    "poiguard-report: %s is not a track: none of its lines is a record of the drive. The program "
                    "writes the track to logs/track_YYYYMMDD.csv while trackLog=true is set in config.txt.\n",
                    path);
            return 1;
        }
    }
    finishDrive(drive);
    size_t warnings = 0;
    for (const TrackEvent& e : drive.events) warnings += e.kind != 'P';  // a section's events among them
    if (drive.points.empty()) fprintf(stderr, "poiguard-report: no position in %s\n", tracks.size() > 1 ? "these tracks" : tracks[0]);
    if (drive.skipped) printf("Left out %d lines that are no record (a line cut off at the end is one)\n", drive.skipped);
    if (!gpx.empty() && !write(gpx, drive, writeGpx)) return 1;
    if (!page.empty() && !write(page, drive, writeHtml)) return 1;
    printf("%zu positions, %zu warnings, %.1f km:%s%s%s%s\n", drive.points.size(), warnings,
           drive.points.empty() ? 0.0 : drive.points.back().km, gpx.empty() ? "" : " ", gpx.c_str(),
           page.empty() ? "" : " ", page.c_str());
    return 0;
}
