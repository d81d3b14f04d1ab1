// Every reader of outside input on arbitrary bytes, under AddressSanitizer
// and UndefinedBehaviorSanitizer. POIGUARD_FUZZ names the reader:
//   rmc      the RMC parser, from no position and from one
//   framing  the receive loop's byte filter and framing, with the echo on and
//            everything behind it: parser, ordering, proximity check
//   config   the config.txt reader
//   poi      the POI loader, then ordering and the proximity check
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/poiguard.h"
#include "gps/rmc.h"

void resetTestPlatform();  // tests/fake_platform.cpp

namespace {

// One POI checks the northbound traffic at 50 km/h, one both ways.
const Poi kPois[] = {{8.8000, 53.0740, "A", 0, 0, 0, 0, 0, 50, 360}, {8.8015, 53.0680, "B", 0, 0, 0, 1, 0, 0, 90},
                     {9.5000, 53.2000, "far", 0, 0, 0, 0, 0, 0, 0}, {8.8000, 53.0740, "same", 0, 0, 0, 0, 0, 0, 0}};

void givePoiList(CPoiGuard& guard)
{
    free(guard.poiList);
    guard.poiList = static_cast<Poi*>(malloc(sizeof kPois));
    memcpy(guard.poiList, kPois, sizeof kPois);
    guard.poiCount = sizeof kPois / sizeof kPois[0];
}

std::string inputFile(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/poiguard-fuzz-" + std::to_string(getpid());
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) abort();
    fwrite(data, 1, size, f);
    fclose(f);
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string target = getenv("POIGUARD_FUZZ") ? getenv("POIGUARD_FUZZ") : "";
    static Log* log = [] {
        if (!freopen("/dev/null", "w", stdout)) abort();
        resetTestPlatform();
        return new Log;
    }();
    static CPoiGuard guard;  // kept across inputs, as the program keeps it across sentences
    static ReceiveState st;
    guard.setDefaults();
    guard.rules.overLimitOnly = size & 2;
    guard.log = log;
    givePoiList(guard);
    if (target == "rmc") {
        std::vector<char> sentence(data, data + size);
        sentence.push_back('\0');
        // Each field's coordinate, read with from_chars where it applies and
        // atof elsewhere, must be atof's to the last bit.
        for (const char* field = sentence.data(); field; field = strchr(field, ',')) {
            if (*field == ',') ++field;
            std::string token(field, strcspn(field, ","));
            double d = atof(token.c_str()) / 100.0, expected = floor(d) + (100.0 * (d - floor(d))) / 60.0;
            double got = nmeaToDegrees(token.c_str());
            if (memcmp(&got, &expected, sizeof got) != 0) abort();
        }
        guard.position.known = size & 1;
        guard.lastPosLength = (size & 1) ? 8.8 : 0.0;
        guard.lastPosWide = (size & 1) ? 53.07 : 0.0;
        guard.parseSentence(sentence.data());
    } else if (target == "framing") {
        guard.settings.fullOutput = 1;
        memset(&st, 0, sizeof st);
        guard.takeBytes(st, reinterpret_cast<const char*>(data), static_cast<int>(size));
        guard.takeBytes(st, "$", 1);
    } else if (target == "config") {
        guard.readConfig(inputFile(data, size).c_str());
    } else if (target == "poi") {
        guard.loadPoiList(inputFile(data, size).c_str());
        guard.position.known = true;
        guard.lastPosLength = 8.8;
        guard.lastPosWide = 53.07;
        guard.sortPoiList();
        guard.checkAlarms(guard.lastPosLength, guard.lastPosWide);
    } else {
        abort();  // POIGUARD_FUZZ=rmc, framing, config or poi
    }
    return 0;
}
