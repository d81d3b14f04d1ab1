// GPX, KML, OV2, headed CSV and the rest of gpsbabel's formats: their
// waypoints through gpsbabel, as tab-separated longitude, latitude and name.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "import.h"
#include "platform/seam.h"

namespace {

}  // namespace

Read throughGpsbabel(const std::string& path, const std::string& format, bool routePoints, const std::string& work)
{
    std::string style = work + "/tsv.style", points = work + "/points.tsv", all = work + "/all.tsv",
                errors = work + "/gpsbabel.err";
    std::ofstream(style) << "FIELD_DELIMITER TAB\nRECORD_DELIMITER NEWLINE\nBADCHARS TAB\n"
                            "IFIELD LON_DECIMAL, \"\", \"%.6f\"\nIFIELD LAT_DECIMAL, \"\", \"%.6f\"\n"
                            "IFIELD SHORTNAME, \"\", \"%s\"\n";
    std::string output = "xcsv,style=" + style, nuke = routePoints ? "nuketypes,tracks" : "nuketypes,tracks,routes";
    const char* waypoints[] = {"gpsbabel", "-i", format.c_str(), "-f", path.c_str(), "-x", nuke.c_str(), "-o",
                               output.c_str(), "-F", points.c_str(), nullptr};
    int status = runProgram(waypoints, (work + "/gpsbabel.out").c_str(), errors.c_str());
    if (status < 0)
        throw ReadError(path + ": gpsbabel reads " + format +
                        " files, and it is not installed (Debian: apt install gpsbabel; Windows: gpsbabel.exe from "
                        "gpsbabel.org in a folder on the PATH)");
    if (status != 0) throw ReadError("gpsbabel cannot read " + path + " as " + format + ": " + fileText(errors).substr(0, 300));
    const char* everything[] = {"gpsbabel", "-i", format.c_str(), "-f", path.c_str(), "-o", output.c_str(), "-F",
                                all.c_str(), nullptr};
    runProgram(everything, (work + "/gpsbabel.out").c_str(), errors.c_str());
    Read read;
    for (const std::string& line : textLines(fileText(points))) {
        std::vector<std::string> f(1);
        for (char c : line)
            if (c == '\t') f.emplace_back();
            else f.back() += c;
        Point p;
        if (f.size() < 2 || !readNumber(f[0], p.length) || !readNumber(f[1], p.wide)) continue;
        if (f.size() > 2) p.name = f[2];
        read.points.push_back(p);
    }
    read.leftOut = static_cast<int>(textLines(fileText(all)).size()) - static_cast<int>(read.points.size());
    return read;
}
