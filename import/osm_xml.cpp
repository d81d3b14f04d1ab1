// OSM XML read by itself, the same on every system: the elements node, way
// (nd), relation (member) and tag with their attributes, entities decoded.
// Anything else (the declaration, comments, note, meta, bounds) is passed
// over; a remark of the service is kept for the download to report.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "import.h"

namespace {

class Bytes {
public:
    explicit Bytes(FILE* file) : file_(file) {}
    int next()
    {
        if (at_ == end_) {
            end_ = fread(buffer_, 1, sizeof buffer_, file_);
            at_ = 0;
            if (end_ == 0) return EOF;
        }
        return static_cast<unsigned char>(buffer_[at_++]);
    }
    // Reads up to and including the text ending; false at the end of the data.
    bool skipPast(const char* ending)
    {
        size_t matched = 0, n = strlen(ending);
        for (int c; (c = next()) != EOF;) {
            matched = c == ending[matched] ? matched + 1 : c == ending[0] ? 1 : 0;
            if (matched == n) return true;
        }
        return false;
    }

private:
    FILE* file_;
    char buffer_[1 << 16];
    size_t at_ = 0, end_ = 0;
};

void appendUtf8(std::string& out, unsigned long code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

std::string decoded(const std::string& raw)
{
    if (raw.find('&') == std::string::npos) return raw;
    std::string out;
    for (size_t i = 0; i < raw.size(); ++i) {
        size_t semicolon = raw[i] == '&' ? raw.find(';', i) : std::string::npos;
        if (semicolon == std::string::npos) {
            out += raw[i];
            continue;
        }
        std::string name = raw.substr(i + 1, semicolon - i - 1);
        if (name == "amp") out += '&';
        else if (name == "lt") out += '<';
        else if (name == "gt") out += '>';
        else if (name == "quot") out += '"';
        else if (name == "apos") out += '\'';
        else if (name.size() > 1 && name[0] == '#')
            appendUtf8(out, name[1] == 'x' ? strtoul(name.c_str() + 2, nullptr, 16) : strtoul(name.c_str() + 1, nullptr, 10));
        else out += raw.substr(i, semicolon - i + 1);
        i = semicolon;
    }
    return out;
}

struct Tag {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    bool closing = false, empty = false;
    const std::string* attribute(const char* key) const
    {
        for (const auto& a : attributes)
            if (a.first == key) return &a.second;
        return nullptr;
    }
};

// The tag after a '<', whose first byte is c: false when the data ends
// inside it.
bool readTag(Bytes& in, int c, Tag& tag)
{
    if (c == '/') {
        tag.closing = true;
        c = in.next();
    }
    for (; c != EOF && !strchr(" \t\r\n/>", c); c = in.next()) tag.name += static_cast<char>(c);
    for (;;) {
        while (c == ' ' || c == '\t' || c == '\r' || c == '\n') c = in.next();
        if (c == EOF) return false;
        if (c == '>') return true;
        if (c == '/') {
            tag.empty = true;
            c = in.next();
            continue;
        }
        std::string key, value;
        for (; c != EOF && c != '=' && c != '>' && c != ' '; c = in.next()) key += static_cast<char>(c);
        while (c == ' ') c = in.next();
        if (c != '=') continue;
        int quote = in.next();
        if (quote != '"' && quote != '\'') return false;
        for (c = in.next(); c != EOF && c != quote; c = in.next()) value += static_cast<char>(c);
        if (c == EOF) return false;
        tag.attributes.push_back({key, decoded(value)});
        c = in.next();
    }
}

long long number(const Tag& tag, const char* key)
{
    const std::string* v = tag.attribute(key);
    return v ? strtoll(v->c_str(), nullptr, 10) : 0;
}

}  // namespace

void readOsmXml(const std::string& path, unsigned kinds, const OsmVisit& visit, std::string* remark)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
    if (!file) throw ReadError("cannot read " + path);
    Bytes in(file.get());
    OsmElement e;
    bool inside = false, root = false, ended = false;
    for (int c; (c = in.next()) != EOF;) {
        if (c != '<') continue;
        c = in.next();
        if (c == '?') {
            in.skipPast("?>");
            continue;
        }
        if (c == '!') {
            if (in.next() == '-') in.skipPast("-->");
            else in.skipPast(">");
            continue;
        }
        Tag t;
        if (!readTag(in, c, t)) break;
        if (!root) {
            if (t.name != "osm") throw ReadError("not OpenStreetMap data (its first element is <" + t.name + ">)");
            root = true;
            continue;
        }
        if (t.closing) {
            if (t.name == "osm") {
                ended = true;
                break;
            }
            if (inside && (t.name == "node" || t.name == "way" || t.name == "relation")) {
                inside = false;
                if (kinds & e.kind) visit(e);
            }
            continue;
        }
        if (t.name == "node" || t.name == "way" || t.name == "relation") {
            e = OsmElement{};
            e.kind = t.name == "node" ? OsmElement::kNode : t.name == "way" ? OsmElement::kWay : OsmElement::kRelation;
            e.id = number(t, "id");
            const std::string *lat = t.attribute("lat"), *lon = t.attribute("lon");
            e.located = lat && lon && readNumber(*lat, e.lat) && readNumber(*lon, e.lon);
            inside = !t.empty;
            if (t.empty && (kinds & e.kind)) visit(e);
        } else if (inside && t.name == "tag") {
            const std::string *k = t.attribute("k"), *v = t.attribute("v");
            if (k && v && (kinds & e.kind)) e.tags.push_back({*k, *v});
        } else if (inside && t.name == "nd") {
            e.nodes.push_back(number(t, "ref"));
        } else if (inside && t.name == "member") {
            const std::string *type = t.attribute("type"), *role = t.attribute("role");
            e.members.push_back({type && !type->empty() ? (*type)[0] : 'n', number(t, "ref"), role ? *role : ""});
        } else if (t.name == "remark" && !t.empty && remark) {
            std::string text;
            for (int r; (r = in.next()) != EOF && r != '<';) text += static_cast<char>(r);
            size_t a = text.find_first_not_of(" \t\r\n"), b = text.find_last_not_of(" \t\r\n");
            *remark = a == std::string::npos ? "" : decoded(text.substr(a, b - a + 1));
            in.skipPast(">");
        }
    }
    if (!root) throw ReadError("not OpenStreetMap data");
    if (!ended) throw ReadError("the data ends in the middle (cut off)");
}
