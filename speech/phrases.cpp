#include "phrases.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

const char* const kKindCodes[kKindCount] = {"fixed", "cam", "mobile", "redlight", "redlight_speed", "section"};

namespace {

const PhraseTable kTables[] = {
    {"de",
     ',',
     {"Blitzer", "Blitzer", "Mobiler Blitzer", "Ampelblitzer", "Ampel- und Tempoblitzer", "Abschnittskontrolle"},
     "%d Metern",
     "%s Kilometern",
     "einem Kilometer",
     "%d Meter",
     "%s Kilometer",
     "ein Kilometer",
     "%s in %s",
     ", %d",
     ", zu schnell",
     "Abschnittskontrolle, %s, %d",
     "Durchschnitt %d, erlaubt noch %d",
     "Durchschnitt %d, nicht mehr zu halten",
     "Abschnittsende, Durchschnitt %d"},
    {"en",
     '.',
     {"Speed camera", "Speed camera", "Mobile speed camera", "Red light camera", "Red light and speed camera",
      "Section control"},
     "%d metres",
     "%s kilometres",
     "1 kilometre",
     "%d metres",
     "%s kilometres",
     "1 kilometre",
     "%s in %s",
     ", limit %d",
     ", too fast",
     "Section control, %s, limit %d",
     "Average %d, allowed %d from here",
     "Average %d, the limit can no longer be kept",
     "End of section, average %d"},
};

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char out[256];
    snprintf(out, sizeof out, pattern, args...);
    return out;
}

bool allDigits(const char* s) { return *s && strspn(s, "0123456789") == strlen(s); }

// Whether name begins with code, in any case.
bool startsWith(const char* name, const char* code)
{
    for (; *code; ++name, ++code)
        if (tolower(static_cast<unsigned char>(*name)) != *code) return false;
    return true;
}

}  // namespace

const PhraseTable* phraseTable(const char* language)
{
    for (const PhraseTable& t : kTables)
        if (strcmp(t.language, language) == 0) return &t;
    return nullptr;
}

const char* phraseLanguages() { return "de, en"; }

int roundedMetres(double km)
{
    double m = km * 1000;
    int step = m < 95 ? 10 : m < 975 ? 50 : m < 9750 ? 500 : 1000;
    int r = static_cast<int>(std::lround(m / step)) * step;
    return r < 10 ? 10 : r;
}

std::string distanceWords(const PhraseTable& t, double km, bool afterIn)
{
    int m = roundedMetres(km);
    if (m < 1000) return format(afterIn ? t.inMetres : t.metres, m);
    if (m == 1000) return afterIn ? t.inOneKm : t.oneKm;
    std::string number = std::to_string(m / 1000);
    if (m % 1000) number += std::string(1, t.decimalMark) + "5";
    return format(afterIn ? t.inKm : t.km, number.c_str());
}

std::string whatItIs(const PhraseTable& t, const char* name, int* limitKmh)
{
    *limitKmh = 0;
    for (int k = 0; k < kKindCount; ++k) {
        size_t n = strlen(kKindCodes[k]);
        if (!startsWith(name, kKindCodes[k])) continue;
        if (name[n] == '_' && allDigits(name + n + 1)) *limitKmh = atoi(name + n + 1);
        else if (name[n] != '\0') continue;
        return t.kinds[k];
    }
    std::string spoken;
    for (const char* c = name; *c; ++c) {
        unsigned char here = static_cast<unsigned char>(*c), before = static_cast<unsigned char>(c == name ? ' ' : c[-1]);
        if (isalnum(before) && isalnum(here) && !isdigit(before) != !isdigit(here)) spoken += ' ';
        spoken += *c == '_' ? ' ' : *c;
    }
    return spoken;
}

std::string approachPhrase(const PhraseTable& t, const char* name, int limitKmh, double km, double kmh)
{
    int named = 0;
    std::string what = whatItIs(t, name, &named);
    std::string phrase = format(t.approach, what.c_str(), distanceWords(t, km, true).c_str());
    if (limitKmh <= 0) limitKmh = named;
    if (limitKmh > 0) phrase += format(t.limit, limitKmh);
    if (limitKmh > 0 && kmh > limitKmh) phrase += t.tooFast;
    return phrase;
}

std::string sectionEnteredPhrase(const PhraseTable& t, double lengthKm, int limitKmh)
{
    return format(t.sectionEntered, distanceWords(t, lengthKm, false).c_str(), limitKmh);
}

std::string sectionOverPhrase(const PhraseTable& t, int averageKmh, int allowedKmh)
{
    return allowedKmh < 0 ? format(t.sectionLost, averageKmh) : format(t.sectionOver, averageKmh, allowedKmh);
}

std::string sectionLeftPhrase(const PhraseTable& t, int averageKmh) { return format(t.sectionLeft, averageKmh); }
