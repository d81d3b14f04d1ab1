#include "sections.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "line.h"

namespace {

constexpr int kFields = 7;

bool readNumber(const char* token, double& value)
{
    char* end = nullptr;
    value = strtod(token, &end);
    return end != token && *end == '\0' && std::isfinite(value);
}

bool readSection(char* line, Section& s)
{
    for (char* p = line; *p; ++p)
        if (*p == ',') *p = ' ';
    char* tokens[kFields + 1];
    int count = 0;
    for (char* token = strtok(line, " \t\r\n"); token && count <= kFields; token = strtok(nullptr, " \t\r\n"))
        tokens[count++] = token;
    double limit;
    if (count != kFields || !readNumber(tokens[0], s.start.length) || !readNumber(tokens[1], s.start.wide) ||
        !readNumber(tokens[2], s.end.length) || !readNumber(tokens[3], s.end.wide) || !readNumber(tokens[4], limit) ||
        !readNumber(tokens[5], s.lengthKm) || !(limit >= 1 && limit <= 300) || !(s.lengthKm > 0))
        return false;
    s.limitKmh = static_cast<int>(limit);
    snprintf(s.name, sizeof s.name, "%s", tokens[6]);
    return true;
}

}  // namespace

std::string sectionsPathFor(const char* listPath)
{
    std::string path = listPath;
    std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : "";
    for (char& c : tail) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (tail == ".csv") path.erase(path.size() - 4);
    return path + ".sections.csv";
}

std::vector<Section> readSections(const std::string& path, Log* log)
{
    std::vector<Section> sections;
    FILE* file = openFile(path.c_str(), "r");
    if (!file) return sections;
    char line[kMessageSize];
    for (int number = 1; readTextLine(line, sizeof line - 1, file); ++number) {
        if (!isPoiDataLine(line)) continue;
        Section s;
        if (!readSection(line, s)) {
            logMessage(log, "ERROR, line %d of %s is no section: start longitude, latitude, end longitude, latitude, "
                            "limit, length km, name\n", number, path.c_str());
            break;
        }
        sections.push_back(s);
    }
    fclose(file);
    logMessage(log, "Loading sections from %s ... found %d sections\n", path.c_str(), static_cast<int>(sections.size()));
    return sections;
}
