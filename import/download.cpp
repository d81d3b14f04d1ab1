// osm:AREA: the cameras of a country, of several, or of a box, in one
// request to OpenStreetMap's Overpass API, as OSM XML read like a file.
//
//   osm:DE          area["ISO3166-1"="DE"][admin_level=2]
//   osm:DE,AT,CH    area["ISO3166-1"~"^(DE|AT|CH)$"][admin_level=2]
//   osm:S,W,N,E     the box, decimal degrees
//
// The service's usage policy: one request per import, a User-Agent naming
// the program and its version, a server-side timeout in the query; when it
// is busy (HTTP 429, 504) a few tries with back-off, as Retry-After asks.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "import.h"
#include "platform/seam.h"

namespace {

constexpr int kServerSeconds = 300;  // the service may work on the query
constexpr int kTries = 4;

// ISO 3166-1's codes, and XK, which OpenStreetMap gives Kosovo.
constexpr const char* kCountries =
    "AD AE AF AG AI AL AM AO AQ AR AS AT AU AW AX AZ BA BB BD BE BF BG BH BI BJ BL BM BN BO BQ BR BS BT BV BW BY BZ "
    "CA CC CD CF CG CH CI CK CL CM CN CO CR CU CV CW CX CY CZ DE DJ DK DM DO DZ EC EE EG EH ER ES ET FI FJ FK FM FO "
    "FR GA GB GD GE GF GG GH GI GL GM GN GP GQ GR GS GT GU GW GY HK HM HN HR HT HU ID IE IL IM IN IO IQ IR IS IT JE "
    "JM JO JP KE KG KH KI KM KN KP KR KW KY KZ LA LB LC LI LK LR LS LT LU LV LY MA MC MD ME MF MG MH MK ML MM MN MO "
    "MP MQ MR MS MT MU MV MW MX MY MZ NA NC NE NF NG NI NL NO NP NR NU NZ OM PA PE PF PG PH PK PL PM PN PR PS PT PW "
    "PY QA RE RO RS RU RW SA SB SC SD SE SG SH SI SJ SK SL SM SN SO SR SS ST SV SX SY SZ TC TD TF TG TH TJ TK TL TM "
    "TN TO TR TT TV TW TZ UA UG UM US UY UZ VA VC VE VG VI VN VU WF WS XK YE YT ZA ZM ZW";

// Codes people write for a country whose code is another.
struct Meant {
    const char *written, *country, *code;
};
constexpr Meant kMeant[] = {{"UK", "the United Kingdom", "GB"},
                            {"EN", "England (the United Kingdom)", "GB"},
                            {"EL", "Greece", "GR"},
                            {"SP", "Spain", "ES"},
                            {"OE", "Austria", "AT"}};

// Each three-letter code (ISO 3166-1 alpha-3) followed by the two letters
// osm: takes.
constexpr const char* kThreeLetters =
    "ABWAW AFGAF AGOAO AIAAI ALAAX ALBAL ANDAD AREAE ARGAR ARMAM ASMAS ATAAQ ATFTF ATGAG AUSAU AUTAT AZEAZ BDIBI "
    "BELBE BENBJ BESBQ BFABF BGDBD BGRBG BHRBH BHSBS BIHBA BLMBL BLRBY BLZBZ BMUBM BOLBO BRABR BRBBB BRNBN BTNBT "
    "BVTBV BWABW CAFCF CANCA CCKCC CHECH CHLCL CHNCN CIVCI CMRCM CODCD COGCG COKCK COLCO COMKM CPVCV CRICR CUBCU "
    "CUWCW CXRCX CYMKY CYPCY CZECZ DEUDE DJIDJ DMADM DNKDK DOMDO DZADZ ECUEC EGYEG ERIER ESHEH ESPES ESTEE ETHET "
    "FINFI FJIFJ FLKFK FRAFR FROFO FSMFM GABGA GBRGB GEOGE GGYGG GHAGH GIBGI GINGN GLPGP GMBGM GNBGW GNQGQ GRCGR "
    "GRDGD GRLGL GTMGT GUFGF GUMGU GUYGY HKGHK HMDHM HNDHN HRVHR HTIHT HUNHU IDNID IMNIM INDIN IOTIO IRLIE IRNIR "
    "IRQIQ ISLIS ISRIL ITAIT JAMJM JEYJE JORJO JPNJP KAZKZ KENKE KGZKG KHMKH KIRKI KNAKN KORKR KWTKW LAOLA LBNLB "
    "LBRLR LBYLY LCALC LIELI LKALK LSOLS LTULT LUXLU LVALV MACMO MAFMF MARMA MCOMC MDAMD MDGMG MDVMV MEXMX MHLMH "
    "MKDMK MLIML MLTMT MMRMM MNEME MNGMN MNPMP MOZMZ MRTMR MSRMS MTQMQ MUSMU MWIMW MYSMY MYTYT NAMNA NCLNC NERNE "
    "NFKNF NGANG NICNI NIUNU NLDNL NORNO NPLNP NRUNR NZLNZ OMNOM PAKPK PANPA PCNPN PERPE PHLPH PLWPW PNGPG POLPL "
    "PRIPR PRKKP PRTPT PRYPY PSEPS PYFPF QATQA REURE ROURO RUSRU RWARW SAUSA SDNSD SENSN SGPSG SGSGS SHNSH SJMSJ "
    "SLBSB SLESL SLVSV SMRSM SOMSO SPMPM SRBRS SSDSS STPST SURSR SVKSK SVNSI SWESE SWZSZ SXMSX SYCSC SYRSY TCATC "
    "TCDTD TGOTG THATH TJKTJ TKLTK TKMTM TLSTL TONTO TTOTT TUNTN TURTR TUVTV TWNTW TZATZ UGAUG UKRUA UMIUM URYUY "
    "USAUS UZBUZ VATVA VCTVC VENVE VGBVG VIRVI VNMVN VUTVU WLFWF WSMWS YEMYE ZAFZA ZMBZM ZWEZW XKXXK";

// The two letters for a three-letter code; empty when there is none.
std::string twoLetters(const std::string& code)
{
    for (const char* at = kThreeLetters; code.size() == 3 && (at = strstr(at, code.c_str())); ++at)
        if ((at - kThreeLetters) % 6 == 0) return std::string(at + 3, 2);
    return "";
}

bool known(const std::string& code)
{
    return code.size() == 2 && std::string(kCountries).find(code) != std::string::npos &&
           std::string(kCountries).find(code) % 3 == 0;
}

std::string unknownCode(const std::string& code)
{
    for (const Meant& m : kMeant)
        if (code == m.written)
            return code + " is no country's code; " + m.country + " is " + m.code + " (osm:" + m.code + ")";
    return code + " is no country's code (ISO 3166-1: DE Germany, AT Austria, CH Switzerland, GB the United Kingdom, "
                  "FR France, NL the Netherlands, ...)";
}

const char* kForms = "give a country's ISO 3166-1 code (osm:DE), several (osm:DE,AT,CH) or a box (osm:S,W,N,E)";

bool validBox(const double b[4])
{
    return b[0] >= -90 && b[0] < b[2] && b[2] <= 90 && b[1] >= -180 && b[1] < b[3] && b[3] <= 180;
}

std::string number(double v)
{
    char text[32];
    snprintf(text, sizeof text, "%g", v);
    return text;
}

// Why a box cannot be asked for, its order spelt out.
std::string wrongBox(const double b[4])
{
    const double swapped[4] = {b[1], b[0], b[3], b[2]};
    std::string order = "a box is osm:SOUTH,WEST,NORTH,EAST, latitude first";
    if (validBox(swapped))
        return order + "; this one reads as written longitude first (as the list's lines are): osm:" +
               number(swapped[0]) + "," + number(swapped[1]) + "," + number(swapped[2]) + "," + number(swapped[3]);
    if (b[0] >= b[2]) return order + ", and its south " + number(b[0]) + " is not south of its north " + number(b[2]);
    if (b[1] >= b[3]) return order + ", and its west " + number(b[1]) + " is not west of its east " + number(b[3]);
    return order + ": latitudes lie between -90 and 90, longitudes between -180 and 180";
}

// Text without its tags, its blanks squeezed.
std::string plain(const std::string& html)
{
    std::string out;
    bool tag = false;
    for (char c : html) {
        if (c == '<') tag = true;
        else if (c == '>') tag = false;
        else if (!tag) {
            if (isspace(static_cast<unsigned char>(c))) c = ' ';
            if (!(c == ' ' && (out.empty() || out.back() == ' '))) out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

// A web page's own sentence: the service's error ("runtime error: ...")
// or, from another server, its title; empty when it is no web page.
std::string webPage(const std::string& answer, bool& fromService)
{
    std::string head = lower(answer.substr(0, 512));
    size_t start = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    fromService = false;
    if (start == std::string::npos || (head.compare(start, 9, "<!doctype") != 0 && head.compare(start, 5, "<html") != 0))
        return "";
    size_t error = answer.find("</strong>: ");
    if (error != std::string::npos && lower(answer.substr(0, error)).rfind(">error") != std::string::npos) {
        fromService = true;
        size_t end = answer.find("</p>", error);
        return plain(answer.substr(error + 11, end == std::string::npos ? 300 : end - error - 11));
    }
    size_t title = lower(answer).find("<title>");
    if (title == std::string::npos) return "a page without a title";
    size_t end = lower(answer).find("</title>", title);
    return "\"" + plain(answer.substr(title + 7, end == std::string::npos ? 100 : end - title - 7)) + "\"";
}

}  // namespace

std::string lonFirstBox(const std::string& area, double lon, double lat)
{
    double b[4];
    char end;
    if (sscanf(area.c_str(), "%lf,%lf,%lf,%lf%c", &b[0], &b[1], &b[2], &b[3], &end) != 4 || !validBox(b)) return "";
    const double swapped[4] = {b[1], b[0], b[3], b[2]};
    auto holds = [lon, lat](const double x[4]) { return lat >= x[0] && lat <= x[2] && lon >= x[1] && lon <= x[3]; };
    if (holds(b) || !validBox(swapped) || !holds(swapped)) return "";
    return "a box is osm:SOUTH,WEST,NORTH,EAST, latitude first; this one holds the list's first POI only read "
           "longitude first (as the list's lines are): osm:" + number(swapped[0]) + "," + number(swapped[1]) + "," +
           number(swapped[2]) + "," + number(swapped[3]);
}

std::string overpassQuery(const std::string& area, const Tags& tags)
{
    std::string upper;
    for (char c : area) upper += static_cast<char>(toupper(static_cast<unsigned char>(c)));
    std::string query = "[out:xml][timeout:" + std::to_string(kServerSeconds) + "];\n";
    std::vector<std::string> parts(1);
    for (char c : upper)
        if (c == ',') parts.emplace_back();
        else parts.back() += c;
    bool letters = true;
    for (const std::string& p : parts)
        letters = letters && (p.size() == 2 || p.size() == 3) && isalpha(p[0]) && isalpha(p[1]) && isalpha(p.back());
    std::string filter;
    if (letters) {
        for (const std::string& p : parts) {
            std::string two = twoLetters(p);
            if (!two.empty()) {
                std::string meant = upper;
                meant.replace(meant.find(p), 3, two);
                throw ReadError(p + " is a country's three-letter code; osm: takes its two letters: osm:" + meant);
            }
            if (!known(p)) throw ReadError(unknownCode(p));
        }
        if (parts.size() == 1) {
            query += "area[\"ISO3166-1\"=\"" + upper + "\"][admin_level=2]->.a;\n";
        } else {
            std::string alternatives = upper;
            for (char& c : alternatives)
                if (c == ',') c = '|';
            query += "area[\"ISO3166-1\"~\"^(" + alternatives + ")$\"][admin_level=2]->.a;\n";
        }
        filter = "(area.a)";
    } else {
        double box[4];
        bool numbers = parts.size() == 4;
        for (size_t i = 0; numbers && i < 4; ++i)
            numbers = parts[i].find_first_not_of("-0123456789.") == std::string::npos && readNumber(parts[i], box[i]);
        if (!numbers) throw ReadError(kForms);
        if (!validBox(box)) throw ReadError(wrongBox(box));
        filter = "(" + area + ")";
    }
    query += "(\n";
    for (const auto& t : tags) query += "  node[\"" + t.first + "\"=\"" + t.second + "\"]" + filter + ";\n";
    query += "  relation[\"type\"=\"enforcement\"]" + filter + ";\n)->.hits;\n";
    query += "(.hits; way(bn.hits)[\"highway\"];);\n(._;>;);\nout body;\n";
    return query;
}

void download(const Download& how, const std::string& query, const std::string& answer)
{
    // The form's data=..., every byte but letters and digits escaped.
    std::string body = "data=";
    for (unsigned char c : query) {
        char hex[4];
        snprintf(hex, sizeof hex, "%%%02X", c);
        body += isalnum(c) ? std::string(1, static_cast<char>(c)) : hex;
    }
    const std::string& url = how.url;
    HttpAnswer got;
    for (int attempt = 1; attempt <= kTries; ++attempt) {
        got = httpPost(url.c_str(), body.c_str(), how.userAgent.c_str(), kServerSeconds + 60, answer.c_str(), how.progress);
        switch (got.failed) {
        case HttpAnswer::kNone: break;
        case HttpAnswer::kResolve: throw ReadError("the name in " + url + " does not resolve (no network, or a wrong --overpass)");
        case HttpAnswer::kConnect: throw ReadError("cannot connect to " + url + " (no network, or the service is down)");
        case HttpAnswer::kTimeout: throw ReadError(url + " did not answer in time");
        case HttpAnswer::kOther: throw ReadError("the download from " + url + " failed (" + got.failure + ")");
        }
        if ((got.status == 429 || got.status == 504) && attempt < kTries) {
            long wait = got.retryAfter >= 0 ? got.retryAfter : 15L << (attempt - 1);
            if (wait > 600) wait = 600;
            fprintf(stderr, "import-pois: the Overpass API is busy (HTTP %d); trying again in %ld s\n", got.status, wait);
            pauseSeconds(static_cast<int>(wait));
            continue;
        }
        break;
    }
    if (got.status == 429 || got.status == 504)
        throw ReadError("the Overpass API stayed busy (HTTP " + std::to_string(got.status) + ") through " +
                        std::to_string(kTries) + " tries; try again later");
    std::string text = fileText(answer);
    bool fromService = false;
    std::string page = webPage(text, fromService);
    if (got.status != 200) {
        std::string said = fromService ? page : plain(text.substr(0, 300));
        throw ReadError("the Overpass API answered HTTP " + std::to_string(got.status) + ": " + said);
    }
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) throw ReadError("the Overpass API's answer was empty");
    if (fromService) throw ReadError("the Overpass API answered: " + page);
    if (!page.empty())
        throw ReadError("a web page came back instead of map data (" + page +
                        "): a hotspot's login page? Log in with a browser, then try again");
    // A query that ran out of time or memory answers 200 with what it had
    // and a remark: never a list to trust.
    std::string remark;
    try {
        readOsmXml(answer, 0, [](const OsmElement&) {}, &remark);
    } catch (const ReadError& e) {
        if (!remark.empty()) throw ReadError("the Overpass API gave a partial answer: " + remark);
        std::string why = e.what();
        throw ReadError(why.find("cut off") != std::string::npos
                            ? "the Overpass API's answer was cut off in the middle (the connection broke?)"
                            : "the Overpass API's answer is " + why);
    }
    if (!remark.empty()) throw ReadError("the Overpass API gave a partial answer: " + remark);
}
