// Clock and the built-in POI path on Windows.
#include <direct.h>

#include <cstdlib>
#include <cstring>

#include "platform.h"

std::time_t clockNow() { return std::time(nullptr); }

std::tm localClock(std::time_t t)
{
    std::tm result{};
    localtime_s(&result, &t);
    return result;
}

const char* builtinPoiPath() { return "C:\\poiguard\\vodudo\\gefahr.csv"; }

const char* workingDirectory()
{
    static char folder[MAX_PATH];
    return _getcwd(folder, sizeof folder) ? folder : ".";
}

// The zip's config.txt, beside the program.
const char* exampleConfig()
{
    static char path[MAX_PATH + 16];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    while (n > 0 && path[n - 1] != '\\') --n;
    strcpy(path + n, "config.txt");
    return n > 0 && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES ? path : nullptr;
}

const char* poiListToMake(const char* poiFile)
{
    DWORD attributes = GetFileAttributesA("C:\\poiguard\\vodudo");
    bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    return folder ? builtinPoiPath() : poiFile;
}

void catchReloadSignal() {}
bool reloadRequested() { return false; }
bool readsGpsd() { return false; }

const char* userName()
{
    const char* name = getenv("USERNAME");
    return name ? name : "?";
}

const char* importCommand() { return nullptr; }

// The system's own words for the last error, without its line end.
const char* openFailure()
{
    static char text[512];
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, GetLastError(), 0, text,
                             sizeof text, nullptr);
    while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == '.')) --n;
    text[n] = '\0';
    return text;
}
