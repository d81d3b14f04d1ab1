// What the program says, one table per language: a new language is a new
// table in phrases.cpp, no code. Tables hold plain ASCII so that the console
// shows them alike on every system; POI names are spoken as the list writes
// them.
#pragma once

#include <string>

// The kinds of POI the importer names its cameras by: the code alone, or
// the code, '_' and the limit (fixed_50, cam_30, redlight).
enum PoiKind { kKindFixed, kKindOsm, kKindMobile, kKindRedLight, kKindRedLightSpeed, kKindSection, kKindCount };
extern const char* const kKindCodes[kKindCount];  // "fixed", "cam", ...

struct PhraseTable {
    const char* language;  // as speech= names it
    char decimalMark;      // of a distance in kilometres
    const char* kinds[kKindCount];
    // A distance after "in": metres, kilometres, exactly one kilometre;
    // and the same standing alone (a section's length).
    const char* inMetres;
    const char* inKm;
    const char* inOneKm;
    const char* metres;
    const char* km;
    const char* oneKm;
    // After what and how far: the limit, and over it.
    const char* approach;  // "%s in %s": what, how far
    const char* limit;     // ", %d"
    const char* tooFast;
    // Sections: entered (length, limit), the average over the limit with the
    // speed still allowed or with none, left with the average.
    const char* sectionEntered;
    const char* sectionOver;
    const char* sectionLost;
    const char* sectionLeft;
};

// The table of speech=LANGUAGE; nullptr for a language the program lacks.
const PhraseTable* phraseTable(const char* language);
// The languages there are, for a message: "de, en".
const char* phraseLanguages();

// A distance as people say it: 10 m steps below 100 m, 50 m steps below a
// kilometre, half kilometres below 10 km, whole ones beyond; never under
// 10 m. In metres.
int roundedMetres(double km);
// It in words; dative after "in" (German "in 300 Metern").
std::string distanceWords(const PhraseTable& t, double km, bool afterIn);

// What a POI is, from its name: a kind's words, or the name as written with
// '_' as a space and digits apart from letters, so they are read as numbers.
// limitKmh is the limit a kind's name carries (fixed_50), 0 without.
std::string whatItIs(const PhraseTable& t, const char* name, int* limitKmh);

// "Blitzer in 300 Metern, 50, zu schnell": a POI at a level. The POI's own
// limit first, else the one its name carries; too fast when kmh is over it
// (-1: not said).
std::string approachPhrase(const PhraseTable& t, const char* name, int limitKmh, double km, double kmh);
std::string sectionEnteredPhrase(const PhraseTable& t, double lengthKm, int limitKmh);
// allowedKmh < 0: no speed keeps the limit any more.
std::string sectionOverPhrase(const PhraseTable& t, int averageKmh, int allowedKmh);
std::string sectionLeftPhrase(const PhraseTable& t, int averageKmh);
