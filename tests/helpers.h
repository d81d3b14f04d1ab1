#pragma once

#include <string>

#include "app/poiguard.h"

// Puts the platform the tests link back to its start.
void resetTestPlatform();

// Runs each test in a fresh empty working directory, with a fresh fake platform.
class InTempDir {
public:
    InTempDir();
    ~InTempDir();
    std::string path;

private:
    std::string previous;
};

void writeFile(const std::string& name, const std::string& text);
std::string readFile(const std::string& name);
// In text mode: the platform's line ends read as '\n'.
std::string readTextFile(const std::string& name);

// Collects what the program prints while alive.
class Console {
public:
    Console();
    std::string take();  // what was printed since construction or the last take()
    ~Console();

private:
    bool capturing;
};

// A guard with a log and a list of POIs given as {length, wide, name}.
struct PoiSpec {
    double length;
    double wide;
    const char* name;
};
void givePois(CPoiGuard& guard, std::initializer_list<PoiSpec> pois);

// A point the given distance (km) due north of a position.
double wideNorthOf(double wide, double km);
