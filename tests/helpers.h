#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "app/poiguard.h"

// Puts the platform the tests link back to its start.
void resetTestPlatform();

// A fresh empty working directory, and a fresh platform, for one test.
class InTempDir {
public:
    InTempDir();
    ~InTempDir();
    std::string path;

private:
    std::string previous;
};

void writeFile(const std::string& name, const std::string& text);
std::string readFile(const std::string& name, bool textMode = false);

// Collects what the program prints.
class Console {
public:
    Console();
    ~Console();
    std::string take();  // what was printed since construction or the last take()
};

// A fresh working directory, and a log printing to a captured console.
struct Logged {
    InTempDir dir;
    Log log;
    Console console;
};

// The same with a guard printing there.
struct Guarded : Logged {
    CPoiGuard guard;
    Guarded() { guard.log = &log; }
};

struct PoiSpec {
    double length;
    double wide;
    const char* name;
};
std::vector<Poi> makePois(std::initializer_list<PoiSpec> pois);
void givePois(CPoiGuard& guard, std::initializer_list<PoiSpec> pois);

// The latitude the given distance (km) north of a latitude, by the program's formula.
double wideNorthOf(double wide, double km);

// An RMC sentence with status A and a correct checksum, as the framing hands
// it over (no line end).
std::string rmc(const char* lat, const char* lon, const char* hemispheres = "N,E", const char* talker = "GP",
                const char* time = "120000");

// A position taken, as the parser would take it.
void placeAt(CPoiGuard& guard, double length, double wide);
