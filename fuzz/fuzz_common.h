// What every fuzz target shares: a quiet console, the scripted platform, a
// guard with a small POI list around Bremen.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "app/poiguard.h"
#include "fake_platform.h"

void resetTestPlatform();  // tests/fake_platform.cpp

inline Log* quietLog()
{
    static Log* log = [] {
        if (!freopen("/dev/null", "w", stdout)) abort();
        resetTestPlatform();
        return new Log;
    }();
    return log;
}

inline void givePoiList(CPoiGuard& guard)
{
    static const Poi pois[] = {{8.8000, 53.0740, "A", 0, 0, 0}, {8.8015, 53.0680, "B", 0, 0, 0},
                               {9.5000, 53.2000, "far", 0, 0, 0}, {8.8000, 53.0740, "same", 0, 0, 0}};
    free(guard.poiList);
    guard.poiList = static_cast<Poi*>(malloc(sizeof pois));
    for (size_t i = 0; i < sizeof pois / sizeof pois[0]; ++i) guard.poiList[i] = pois[i];
    guard.poiCount = sizeof pois / sizeof pois[0];
}

// Writes the input to a file the reader under test can open.
inline std::string inputFile(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/poiguard-fuzz-" + std::to_string(getpid());
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) abort();
    fwrite(data, 1, size, f);
    fclose(f);
    return path;
}
