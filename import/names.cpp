// Names as poiguard reads them, and the list's lines.
#include <cmath>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "import.h"

std::string oneWord(const std::string& name)
{
    std::string word;
    for (char c : name) {
        if (c == ',' || c == '"') continue;
        bool blank = c == ' ' || c == '\t' || c == '\r';
        if (!blank) word += c;
        else if (word.empty() || word.back() != '_') word += '_';
    }
    size_t first = word.find_first_not_of('_'), last = word.find_last_not_of('_');
    return first == std::string::npos ? "" : word.substr(first, last - first + 1);
}

std::string fitName(const std::string& name)
{
    if (name.size() <= 31) return name;
    size_t cut = 31;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    return name.substr(0, cut);
}

std::string listText(const std::vector<Point>& points, int& limits, int& directions)
{
    std::string text;
    std::set<std::string> used;
    limits = directions = 0;
    for (const Point& p : points) {
        std::string name = fitName(p.name);
        for (int k = 2; name != p.name && used.count(name); ++k) {
            std::string mark = "~" + std::to_string(k);
            name = fitName(p.name.substr(0, 31 - mark.size())) + mark;
        }
        used.insert(name);
        char line[200];
        snprintf(line, sizeof line, "%.6f, %.6f, ", p.length, p.wide);
        text += line + name;
        limits += p.limit > 0;
        directions += p.heading >= 0;
        std::string limit = p.limit > 0 ? std::to_string(p.limit) : "-";
        if (p.heading >= 0) {
            int d = static_cast<int>(std::lround(p.heading)) % 360;
            text += ", " + limit + ", " + std::to_string(d) + (p.bothWays ? "/" + std::to_string((d + 180) % 360) : "");
        } else if (p.limit > 0) {
            text += ", " + limit;
        }
        text += '\n';
    }
    return text;
}
