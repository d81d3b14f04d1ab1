// Clock and the built-in POI path on Windows.
#include "platform.h"

std::time_t clockNow() { return std::time(nullptr); }

std::tm localClock(std::time_t t)
{
    std::tm result{};
    localtime_s(&result, &t);
    return result;
}

const char* builtinPoiPath() { return "C:\\poiguard\\vodudo\\gefahr.csv"; }

void catchReloadSignal() {}
bool reloadRequested() { return false; }
bool readsGpsd() { return false; }
