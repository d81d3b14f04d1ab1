// What the readers share: numbers, CSV fields, lines, and the rules of a
// camera's limit and ways.
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "import.h"
#include "platform/byte_order_mark.h"

bool inRange(const Point& p) { return std::fabs(p.length) <= 180 && std::fabs(p.wide) <= 90; }

void addWays(const std::vector<Point>& ways, std::vector<Point>& out)
{
    auto whole = [](const Point& p) { return p.heading < 0 ? -1 : static_cast<int>(std::lround(p.heading)) % 360; };
    std::vector<bool> done(ways.size());
    for (size_t i = 0; i < ways.size(); ++i) {
        if (done[i]) continue;
        Point p = ways[i];
        for (size_t k = i + 1; k < ways.size(); ++k) {
            if (done[k] || ways[k].limit != p.limit) continue;
            int h = whole(p), other = whole(ways[k]);
            if (other == h) {
                done[k] = true;
            } else if (h >= 0 && other == (h + 180) % 360) {
                p.bothWays = true;
                done[k] = true;
            }
        }
        out.push_back(p);
    }
}

bool readNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    char* end = nullptr;
    value = strtod(begin, &end);  // the C locale: this program never sets another
    while (end != begin && (*end == ' ' || *end == '\t')) ++end;
    return end != begin && *end == '\0' && std::isfinite(value);
}

std::vector<std::string> csvFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') fields.back() += line[++i];
            else if (c == '"') quoted = false;
            else fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (!((c == ' ' || c == '\t') && fields.back().empty())) {
            fields.back() += c;
        }
    }
    for (std::string& f : fields)
        while (!f.empty() && (f.back() == ' ' || f.back() == '\t')) f.pop_back();
    return fields;
}

std::vector<std::string> textLines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t at = byteOrderMarkIn(text.data(), text.size());
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
        at = end + 1;
    }
    return lines;
}

bool isComment(const std::string& line)
{
    return line.find_first_not_of(" \t") == std::string::npos || line[0] == '%' || line[0] == '#' ||
           line.compare(0, 2, "//") == 0;
}

ReadError notA(const std::string& path, int number, const char* expected, const std::string& line)
{
    return ReadError(path + ":" + std::to_string(number) + ": not " + expected + ": " + line);
}

int keptLimit(double kmh, int& refused)
{
    int whole = static_cast<int>(std::floor(kmh + 1e-9));
    if (whole <= kMaxLimitKmh) return whole;
    ++refused;
    return 0;
}

const char* textKind(const std::string& text)
{
    Point p;
    for (const std::string& line : textLines(text))
        if (!isComment(line)) return cameraColumns(line) ? "cameras" : readLonLat(line, p) ? "lonlat" : "header";
    return "lonlat";  // nothing but comments: an empty list of our own
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return s;
}
